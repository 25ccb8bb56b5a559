#pragma once

#include <functional>
#include <map>
#include <string>

#include "common/ustring.h"

// What the package put into the application directory, kept beside it (never inside: the
// client must not see it) so that a later run can tell a damaged copy by lstat alone.
struct InstalledEntry {
    enum Type : char { File = 'f', Dir = 'd', Link = 'l' };
    Type type = File;
    long long size = 0;     // files only
    unsigned run_bits = 0;  // mode & 0111; none for links
    std::string target;     // links only
};

// By path relative to the application directory, without "." or empty parts.
using InstalledList = std::map<std::string, InstalledEntry>;

// A record larger than this (some 200 000 entries) is not ours: it counts as none, and no
// listing grows past it.
constexpr long long kMaxInstalledRecordBytes = 8LL << 20;

// The application directory's path followed by ".installed".
ustring InstalledRecordPath(const ustring &app_path);
// Writes the record atomically (temporary name, flush, rename, flush of the folder); 0, or -1
// after logging why.
int WriteInstalledRecord(const ustring &app_path, const InstalledList &entries);
using InstalledVisitor = std::function<void(const std::string &path, const InstalledEntry &)>;
// Hands each entry of the record to visit, in the order of their paths. True when a whole,
// well-formed record is there; anything else is no record (some entries may have been visited).
bool VisitInstalledRecord(const ustring &app_path, const InstalledVisitor &visit);
// True with entries filled when a whole, well-formed record is there; anything else is no
// record.
bool ReadInstalledRecord(const ustring &app_path, InstalledList &entries);
// Removes the record and a half-written one; 0 when none is left (logged otherwise).
int RemoveInstalledRecord(const ustring &app_path);
// A half-written record is all a run killed while writing one leaves; it goes.
void RemoveStrayInstalledRecord(const ustring &app_path);
// The bytes one entry takes in the record, to bound a listing before it is written.
long long InstalledEntryBytes(const std::string &path, const InstalledEntry &entry);
