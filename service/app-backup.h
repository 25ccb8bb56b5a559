#pragma once

#include "common/ustring.h"

// Backup names of the application directory are tried in the order 0 to 9.
constexpr int kAppBackupNames = 10;

// base + "_tmp", followed by the digits of n when n is not 0.
ustring GetAppBackupDir(const ustring &base, int n);
