#pragma once

#include <set>
#include <string>

struct archive_entry;

// The rules the extraction applies to an entry's header, applied without writing anything:
// no ".." in its path or its hard link's target, nothing written through a symbolic link that
// an earlier entry made, no hard link to such a symbolic link.
class EntryRules {
public:
    // Empty when the entry may be written; else why not. Remembers the entry's links.
    std::string Refusal(archive_entry *entry);

private:
    // The first symbolic link that path passes through (or names, with whole), else empty.
    std::string LinkOnWay(const std::string &path, bool whole) const;

    std::set<std::string> symlinks_;  // paths of the symbolic links written so far
};
