#include <cstring>

#include "common/file-op.h"
#include "common/log.h"
#include "service/cloud-service.h"

int Service::FSCopyPath(const ustring &src, const ustring &dst) {
    LOX_LOG(DEBUG, "service_debug", "cloud-service", "copy from '%s' to '%s'", src.c_str(),
            dst.c_str());
    _FILE_INFO_tag info;
    if (FSStat(src, info, false) < 0) {
        LOX_LOG(ERROR, "service_debug", "cloud-service", "FSCopyPath: failed to stat source '%s'",
                src.c_str());
        return -1;
    }
    if (!info.exists) {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "FSCopyPath: source path '%s' does not exist", src.c_str());
        return -1;
    }
    if (info.type != FS_TYPE_DIR) {
        if (FSCopy(src, dst, false) >= 0)
            return 0;
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "FSCopyPath: failed to copy from '%s' to '%s'", src.c_str(), dst.c_str());
        return -1;
    }
    if (FSMKDir(dst, true) != 0) {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "FSCopyPath: failed to create dest folder '%s'", dst.c_str());
        return -1;
    }
    DIR_HANDLE handle;
    if (FSOpenDir(src, 0, handle) != 0) {
        LOX_LOG(WARNING, "service_debug", "cloud-service",
                "FSCopyPath: failed to create handle  for src '%s' failed", src.c_str());
        return 0;
    }
    int ret = 0;
    DIR_ENTRY entry;
    while (FSReadDir(handle, entry) > 0) {
        if (std::strcmp(entry.name.c_str(), ".") == 0 || std::strcmp(entry.name.c_str(), "..") == 0)
            continue;
        ustring child_src = src + "/" + entry.name;
        ustring child_dst = dst + "/" + entry.name;
        int copied = entry.type == FS_TYPE_DIR ? FSCopyPath(child_src, child_dst)
                                               : FSCopy(child_src, child_dst, false);
        if (copied < 0) {
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "FSCopyPath: failed to copy from '%s' to '%s'", child_src.c_str(),
                    child_dst.c_str());
            ret = -1;
            break;
        }
    }
    FSCloseDir(handle);
    return ret;
}
