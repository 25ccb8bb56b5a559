#pragma once

#include <string>
#include <unordered_map>

struct archive_entry;

// path without empty and "." parts, as the writer resolves it below the target; false when it
// has a ".." part.
bool NormalizeEntryPath(const char *path, std::string &normal);

// The rules the extraction applies to an entry's header, applied without writing anything:
// no ".." in its path or its hard link's target, no entry but a file, folder or link, nothing
// written through a symbolic link or a file that an earlier entry made, and a hard link only to a
// file that an earlier entry made.
class EntryRules {
public:
    // Empty when the entry may be written; else why not. Remembers what the entry makes.
    std::string Refusal(archive_entry *entry);

private:
    enum class Kind : char { Symlink, File };

    std::string HardLinkRefusal(const std::string &path, const char *raw_target) const;
    // The first earlier non-directory that path passes through (or names, with whole), with its
    // kind; else empty.
    std::string MadeOnWay(const std::string &path, bool whole, Kind &kind) const;
    void Remember(const std::string &path, archive_entry *entry);

    // The entries that are not directories (a later directory of the same name replaces one), by
    // the hash of their normalized path: 40 bytes each where the paths would take 160. A
    // collision could only let a bad hard link pass to the extraction, which then fails on it.
    std::unordered_map<size_t, Kind> made_;
};
