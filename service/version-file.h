#pragma once

#include "common/ustring.h"
#include "service/cloud-service.h"

// Fills the fields that the file's Version group holds; other fields keep their values. A
// build_version that is not a plain decimal number is logged and left out, as if missing.
void LoadVersionFile(const ustring &path, Service::VersionInfo &info);

// The build number as atoi reads it, except that a value beyond the int range stops at its
// limit. Only plain numbers reach it from a version file.
int BuildNumber(const ustring &text);
