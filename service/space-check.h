#pragma once

#include <string>

#include "common/ustring.h"
#include "extractor/package-extractor.h"
#include "service/client-problem.h"

// The free space of the per-user folder's file system, as measured before an update.
struct FreeSpace {
    std::string folder;  // the nearest existing folder at or above the per-user folder
    long long available = 0;
};

// What a new copy of the package may take on the file system of the per-user folder beside the
// copy in place (the old copy stays until the new one is complete), margins kept. Fills free.
// Unlimited when the free space cannot be told.
PackageExtractor::Budget SpaceBudget(const ustring &user_root, FreeSpace &free);

// Logs why the check refused package, once, with what happens next (consequence), and gives
// the problem to tell the user; for space, with the figures.
RunProblem CheckProblem(const PackageExtractor::CheckResult &result, const ustring &package,
                        const char *consequence, const FreeSpace &free);

// The nearest folder at or above path that exists: the one a new entry would be written in.
ustring ExistingFolderOf(const ustring &path);
