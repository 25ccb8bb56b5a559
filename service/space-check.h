#pragma once

#include "common/ustring.h"
#include "extractor/package-extractor.h"
#include "service/client-problem.h"

// What a new copy of the package may take on the file system of the per-user folder beside the
// copy in place (the old copy stays until the new one is complete), margins kept. Fills
// detail's folder and free bytes. Unlimited when the free space cannot be told.
PackageExtractor::Budget SpaceBudget(const ustring &user_root, ProblemDetail &detail);

// Logs why the check refused package, once, with what happens next (consequence), and gives
// the problem to tell the user; for space, detail gets the figures.
ClientProblem CheckProblem(const PackageExtractor::CheckResult &result, const ustring &package,
                           const char *consequence, ProblemDetail &detail);

// The nearest folder at or above path that exists: the one a new entry would be written in.
ustring ExistingFolderOf(const ustring &path);
