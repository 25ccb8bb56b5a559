#include "service/app-backup.h"

#include <cstdio>

#include "common/log.h"

ustring GetAppBackupDir(const ustring &base, int n) {
    ustring backup = base + "_tmp";
    if (n == 0)
        return backup;
    char postfix[8];
    int written = std::snprintf(postfix, sizeof postfix, "%d", n);
    if (written < 0 || written >= static_cast<int>(sizeof postfix)) {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "snprintf failed (continuing without postfix)");
        postfix[0] = '\0';
    }
    return backup + postfix;
}
