// Directory listing through a handle, and symbolic links.

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/file-op-internal.h"
#include "common/file-op.h"
#include "common/log.h"

namespace {

constexpr size_t kLinkBufferSize = 4096;

// The type the listing itself reports; never taken from a status call.
int32_t TypeFromListing(unsigned char type) {
    switch (type) {
        case DT_FIFO:
            return FS_TYPE_FIFO;
        case DT_CHR:
        case DT_BLK:
            return FS_TYPE_DEVICE;
        case DT_DIR:
            return FS_TYPE_DIR;
        case DT_REG:
            return FS_TYPE_FILE;
        case DT_LNK:
            return FS_TYPE_LINK;
        case DT_SOCK:
            return FS_TYPE_SOCKET;
        default:
            return FS_TYPE_NONE;
    }
}

}  // namespace

int FSOpenDir(const ustring &path, int flags, DIR_HANDLE &handle) {
    DIR *dir = ::opendir(path.c_str());
    if (dir == nullptr) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "FSOpenDir: Failed to open directory '%s'. %s",
                path.c_str(), file_op::ErrorText(keep.saved()).c_str());
        return -1;
    }
    handle.dir = dir;
    handle.path = path;
    handle.flags = flags;
    return 0;
}

int FSReadDir(DIR_HANDLE &handle, DIR_ENTRY &entry) {
    // A closed or never opened handle has nothing to read.
    if (handle.dir == nullptr) {
        errno = EBADF;
        return -1;
    }
    // Only errno tells the end of the listing from a failure.
    errno = 0;
    const struct dirent *listed = ::readdir(handle.dir);
    if (listed == nullptr && errno != 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "FSReadDir: Failed to read directory '%s'. %s",
                handle.path.c_str(), file_op::ErrorText(keep.saved()).c_str());
        return -1;
    }
    if (listed == nullptr)
        return 0;
    const ustring name(listed->d_name);
    const int32_t type = TypeFromListing(listed->d_type);

    int32_t mtime = 0;
    int64_t size = 0;
    if ((handle.flags & FS_DIR_WITH_INFO) != 0) {
        const ustring full_path = handle.path + "/" + name;
        _FILE_INFO_tag info;
        if (FSStat(full_path, info, true) != 0) {
            file_op::ErrnoKeeper keep;
            LOX_LOG(ERROR, "file_op_debug", "file-op", "FSOpenDir: Failed to get info for '%s'",
                    full_path.c_str());
            return -1;
        }
        mtime = info.mtime;
        size = info.size;
    }
    entry.mtime = mtime;
    entry.size = size;
    entry.name = name;
    entry.type = type;
    return 1;
}

void FSCloseDir(DIR_HANDLE &handle) {
    if (handle.dir != nullptr)
        ::closedir(handle.dir);
    handle.dir = nullptr;
    handle.path.clear();
}

int FSCreateSymbolicLink(const ustring &target, const ustring &link_path) {
    if (::symlink(target.c_str(), link_path.c_str()) == 0)
        return 0;
    file_op::ErrnoKeeper keep;
    LOX_LOG(ERROR, "file_op_debug", "file-op",
            "FSCreateSymbolicLink: Failed to create symbolic link '%s' -> '%s' (code: %d, msg: %s)",
            target.c_str(), link_path.c_str(), keep.saved(),
            file_op::ErrorText(keep.saved()).c_str());
    return -1;
}

int FSReadSymbolicLink(const ustring &link_path, ustring &target) {
    char buffer[kLinkBufferSize];
    std::memset(buffer, 0, sizeof buffer);
    const ssize_t length = ::readlink(link_path.c_str(), buffer, sizeof buffer);
    if (length < 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "FSReadSymbolicLink: Failed to read symbolic link '%s' (code: %d, msg: %s)",
                link_path.c_str(), keep.saved(), file_op::ErrorText(keep.saved()).c_str());
        return -1;
    }
    if (static_cast<size_t>(length) >= sizeof buffer) {
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "FSReadSymbolicLink: path of '%s' is more than %d", link_path.c_str(),
                static_cast<int>(kLinkBufferSize));
        return -1;
    }
    buffer[length] = '\0';
    target = buffer;
    return 0;
}
