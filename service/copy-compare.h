#pragma once

#include <string>

#include "common/ustring.h"
#include "service/installed-record.h"

// How a copy differs from its record: how many recorded entries, the first of them and what
// is wrong with it. Entries the record does not name (the client's own files) never count.
struct CopyDifference {
    long long count = 0;
    std::string first;
    std::string what;
};

// Holds the entries of a record to the copy one at a time, by lstat and readlink only: an
// entry missing or of another type, a file of another size, a recorded run bit lost or a link
// changed is a difference. Entries come in the record's order: each folder is opened once for
// the entries in it that follow each other, never through a link, and each lstat resolves one
// name.
class CopyComparer {
public:
    explicit CopyComparer(const ustring &app);
    ~CopyComparer();
    CopyComparer(const CopyComparer &) = delete;
    CopyComparer &operator=(const CopyComparer &) = delete;

    void Check(const std::string &path, const InstalledEntry &recorded);
    const CopyDifference &Difference() const { return difference_; }
    long long Entries() const { return entries_; }

private:
    // The descriptor of path's folder (-1 when it cannot be opened), name at path's last part.
    int FolderOf(const std::string &path, const char *&name);
    void CloseFolder();

    int root_;
    int root_error_;
    std::string folder_ = "/";  // no folder of a record
    int folder_fd_ = -1;
    int folder_error_ = 0;
    long long entries_ = 0;
    CopyDifference difference_;
};

// Every file, folder and link below app, by lstat (nothing is followed or read); 0, or -1
// after logging why.
int ListCopy(const ustring &app, InstalledList &entries);
// Every entry of record through one CopyComparer.
CopyDifference CompareCopy(const ustring &app, const InstalledList &record);
