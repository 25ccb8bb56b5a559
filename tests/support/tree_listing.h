#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace loxtest {

// Everything under a directory, for before-and-after comparisons that must notice any change:
// relative path -> DirEntry, FileEntry, "link TARGET" or "other MODE".
using TreeListing = std::map<std::string, std::string>;

// Lists root recursively without following links, leaving out each excluded path (absolute,
// as given) and everything below it.
TreeListing ListTree(const std::string &root, const std::vector<std::string> &excluded = {});

// "dir MODE" and "file MODE SIZE SHA-256" as ListTree writes them, for expected trees.
std::string DirEntry(mode_t mode);
std::string FileEntry(mode_t mode, const std::string &content);

// Permission bits in octal, "755".
std::string ModeText(mode_t mode);
mode_t CurrentUmask();

}  // namespace loxtest
