#pragma once

#include <map>
#include <string>
#include <vector>

namespace loxtest {

// Everything under a directory, for before-and-after comparisons that must notice any change:
// relative path -> "dir MODE", "file MODE SIZE SHA-256", "link TARGET" or "other MODE".
using TreeListing = std::map<std::string, std::string>;

// Lists root recursively without following links, leaving out each excluded path (absolute,
// as given) and everything below it.
TreeListing ListTree(const std::string &root, const std::vector<std::string> &excluded);

}  // namespace loxtest
