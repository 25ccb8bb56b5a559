#pragma once

#include <functional>
#include <string>

#include "extractor/package-extractor.h"

// One read of the whole package on fd, as the extraction into target would read it, writing
// nothing: every checksum verified, every header held to the extraction's rules, the
// block-rounded sizes and the inodes summed against the budget (stopping as soon as either
// passes it). beat runs at every header and data block read; listed, when set, at every entry
// that passed the rules. Logs nothing, takes no lock other code may hold: it runs in a forked
// child.
void CheckPackage(int fd, const char *target, const PackageExtractor::Budget &budget,
                  const std::function<void()> &beat, const PackageExtractor::EntrySink &listed,
                  PackageExtractor::CheckResult &result);

// The path the descriptor was opened with, as the system knows it now; empty for a pipe.
std::string DescriptorPath(int fd);

// The package on fd lies below folder, when one of the folders above it is folder: the writer
// would replace it with an entry of its own name.
bool PackageLiesBelow(int fd, const char *folder);
