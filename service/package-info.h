#pragma once

#include "common/ustring.h"

// Default paths of a system-wide installation under /opt/Brenthor/BrenthorLoxen. The run
// itself finds the installed tree through the path registry instead.
struct PackageInfo {
    PackageInfo();

    ustring images_path;
    ustring user_path;
    ustring debug_conf_path;
    ustring package_path;
    ustring conf_path;
};
