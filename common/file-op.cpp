// Information about entries and questions about path text.

#include "common/file-op.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/file-op-internal.h"
#include "common/log.h"

namespace {

constexpr uint32_t kFsTypeCifs = 0xFF534D42u;
constexpr uint32_t kFsTypeNfs = 0x6969u;
constexpr uint32_t kFsTypeFuse = 0x65735546u;
constexpr uint32_t kFsTypeMsdos = 0x4D44u;
constexpr size_t kRealPathBufferSize = 8192;

// FS_TYPE_NONE for a mode of no known type.
int32_t TypeFromMode(mode_t mode) {
    if (S_ISREG(mode))
        return FS_TYPE_FILE;
    if (S_ISDIR(mode))
        return FS_TYPE_DIR;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FS_TYPE_DEVICE;
    if (S_ISLNK(mode))
        return FS_TYPE_LINK;
    if (S_ISFIFO(mode))
        return FS_TYPE_FIFO;
    if (S_ISSOCK(mode))
        return FS_TYPE_SOCKET;
    return FS_TYPE_NONE;
}

void FillMissing(const ustring &path, _FILE_INFO_tag &info) {
    info.exists = false;
    info.mtime = 0;
    info.name = FSBaseName(path);
    info.path = path;
    info.size = 0;
    info.type = FS_TYPE_NONE;
    info.uid = 0;
    info.gid = 0;
    info.mode = 0;
    info.dev = 0;
}

void FillFromStatus(const ustring &path, const struct stat &st, _FILE_INFO_tag &info) {
    info.exists = true;
    // Only the low 32 bits of the time are kept.
    info.mtime = static_cast<int32_t>(static_cast<uint32_t>(st.st_mtime));
    info.name = FSBaseName(path);
    info.path = path;
    info.size = static_cast<int64_t>(st.st_size);
    info.mode = static_cast<uint32_t>(st.st_mode);
    info.uid = static_cast<uint32_t>(st.st_uid);
    info.gid = static_cast<uint32_t>(st.st_gid);
    info.dev = static_cast<uint64_t>(st.st_dev);
}

// The file-system type number, masked to 32 bits so a sign-extended value still matches.
bool FileSystemType(const ustring &path, uint32_t &type) {
    struct statfs fs;
    if (::statfs(path.c_str(), &fs) != 0)
        return false;
    type = static_cast<uint32_t>(fs.f_type);
    return true;
}

}  // namespace

bool operator==(const _FILE_INFO_tag &a, const _FILE_INFO_tag &b) {
    return a.exists == b.exists && a.size == b.size && a.mtime == b.mtime && a.type == b.type &&
           a.path == b.path && a.name == b.name;
}

bool operator!=(const _FILE_INFO_tag &a, const _FILE_INFO_tag &b) {
    return !(a == b);
}

int GetFileInfo(const ustring &path, _FILE_INFO_tag &info) {
    // lstat("link/") would describe the link's target.
    const std::string entry = file_op::WithoutTrailingSlashes(path.c_str());
    struct stat st;
    if (::lstat(entry.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return -1;
        FillMissing(path, info);
        return 0;
    }
    // As the system answers for "file/".
    if (entry.size() != path.length() && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) {
        errno = ENOTDIR;
        return -1;
    }
    FillFromStatus(path, st, info);
    info.type = TypeFromMode(st.st_mode);
    if (info.type != FS_TYPE_NONE)
        return 0;
    errno = EINVAL;  // a type this library does not handle; the caller reads errno
    return -1;
}

int FSStat(const ustring &path, _FILE_INFO_tag &info, bool /*follow_link*/) {
    if (path.empty())
        return -1;
    return GetFileInfo(path, info) == 0 ? 0 : -2;
}

bool IsFileExist(const ustring &path, bool /*follow_link*/) {
    if (path.empty())
        return false;
    _FILE_INFO_tag info;
    return GetFileInfo(path, info) == 0 && info.exists;
}

ustring FSBaseName(const ustring &path) {
    const size_t slash = path.rfind('/', ustring::npos);
    if (slash == ustring::npos)
        return path;
    return path.substr(slash + 1, ustring::npos);
}

ustring FSParentPath(const ustring &path) {
    const size_t slash = path.rfind('/', ustring::npos);
    if (slash == ustring::npos || slash == 0)
        return ustring("/");
    return path.substr(0, slash);
}

bool FSIsParentFolder(const ustring &parent, const ustring &child) {
    const size_t length = parent.length();
    if (length > child.length())
        return false;
    const char next = child.c_str()[length];
    if (next != '\0' && next != '/')
        return false;
    return std::memcmp(parent.c_str(), child.c_str(), length) == 0;
}

int FSGetRealPath(ustring &path) {
    LOX_LOG(DEBUG, "file_op_debug", "file-op", " org path [%s]", path.c_str());
    char resolved[kRealPathBufferSize];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return -1;
    path = resolved;
    LOX_LOG(DEBUG, "file_op_debug", "file-op", " get full path [%s]", path.c_str());
    return 0;
}

bool isMountPoint(const ustring &path) {
    uint32_t type = 0;
    if (!FileSystemType(path, type)) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "isMountPoint: Failed to get file system info '%s'. %s", path.c_str(),
                file_op::ErrorText(keep.saved()).c_str());
        return false;
    }
    return type == kFsTypeCifs || type == kFsTypeNfs || type == kFsTypeFuse;
}

bool IsMSDOS(const ustring &path) {
    uint32_t type = 0;
    if (!FileSystemType(path, type)) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "IsSupportLargeFile: Failed to get file system info '%s'. %s", path.c_str(),
                file_op::ErrorText(keep.saved()).c_str());
        return false;
    }
    if (type != kFsTypeMsdos)
        return false;
    LOX_LOG(WARNING, "file_op_debug", "file-op", "Detect a MSDOS platform for path '%s'.",
            path.c_str());
    return true;
}

bool isFileLocked(const ustring &path, int mode) {
    if (::access(path.c_str(), mode) == 0)
        return false;
    return errno == EPERM || errno == EACCES;
}

bool hasFilePermission(const ustring &path, int mode) {
    return !isFileLocked(path, mode);
}

bool FSTimeEqual(long a, long b) {
    return a == b;
}

int FSUTime(const ustring &path, long atime, long mtime) {
    struct timeval times[2];
    times[0].tv_sec = atime;
    times[0].tv_usec = 0;
    times[1].tv_sec = mtime;
    times[1].tv_usec = 0;
    return ::lutimes(path.c_str(), times) == 0 ? 0 : -1;
}

int FSChown(const ustring &path, unsigned int uid, unsigned int gid) {
    if (::fchownat(AT_FDCWD, path.c_str(), uid, gid, AT_SYMLINK_NOFOLLOW) == 0)
        return 0;
    file_op::ErrnoKeeper keep;
    LOX_LOG(ERROR, "file_op_debug", "file-op", "FSChown: Failed to chown '%s' (code: %d, msg: %s)",
            path.c_str(), keep.saved(), file_op::ErrorText(keep.saved()).c_str());
    return -1;
}
