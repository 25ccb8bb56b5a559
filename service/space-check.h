#pragma once

#include "common/ustring.h"
#include "service/client-problem.h"

class PackageExtractor;

// Whether a new copy of the package fits on the file system of the per-user folder beside the
// copy in place (the old copy stays until the new one is complete). Fills detail with the folder
// measured and both figures. 0 when it fits or cannot be measured (the extraction then finds
// out), -1 when it does not fit.
int CheckSpaceForCopy(PackageExtractor &extractor, const ustring &package, const ustring &user_root,
                      ProblemDetail &detail);

// The nearest folder at or above path that exists: the one a new entry would be written in.
ustring ExistingFolderOf(const ustring &path);
