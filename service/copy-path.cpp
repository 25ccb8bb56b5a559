#include <sys/stat.h>

#include <cstring>

#include "common/file-op.h"
#include "common/log.h"
#include "service/cloud-service.h"

namespace {

// A device or a pipe in the tree (a link to one too) would block the copy or never end; it
// is no file of an installation, so it is left out.
bool IsSpecialEntry(const ustring &path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))
        return false;
    LOX_LOG(WARNING, "service_debug", "cloud-service",
            "FSCopyPath: skipping '%s', it is not a regular file", path.c_str());
    return true;
}

}  // namespace

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
    int read;
    DIR_ENTRY entry;
    while ((read = FSReadDir(handle, entry)) > 0) {
        if (std::strcmp(entry.name.c_str(), ".") == 0 || std::strcmp(entry.name.c_str(), "..") == 0)
            continue;
        ustring child_src = src + "/" + entry.name;
        ustring child_dst = dst + "/" + entry.name;
        if (entry.type != FS_TYPE_DIR && IsSpecialEntry(child_src))
            continue;
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
    // A listing that failed is no complete copy.
    if (read < 0) {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "FSCopyPath: failed to list '%s', the copy is incomplete", src.c_str());
        ret = -1;
    }
    FSCloseDir(handle);
    return ret;
}
