#pragma once

#include "common/ustring.h"

// The UTF-8 value of a path-registry key; empty for a key that start-up never set.
ustring RegistryPath(const char *key);

// The packaged client of the installed tree.
ustring PackageFilePath();
