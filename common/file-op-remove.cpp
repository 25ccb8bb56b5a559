// Removing entries and whole trees. Every directory is opened without following a link and
// everything below it is reached through that descriptor, so an entry swapped for a link
// between the type check and the removal is never followed out of the tree.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/file-op-internal.h"
#include "common/file-op.h"

namespace {

constexpr int kOpenDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsDotOrDotDot(const char *name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The owner's read, write and search bits on a directory the user owns, so that its entries
// can be listed and removed, as "chmod -R u+w" before "rm -rf".
void GrantOwner(int fd, const struct stat &st) {
    if (st.st_uid == ::geteuid() && (st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
}

// A directory the user cannot read gets the bits by name. Should a link have been put in its
// place in between, the chmod reaches only what the user owns anyway, and the open that
// follows refuses the link.
int OpenUnreadableOwnDir(int at, const char *name) {
    struct stat st;
    if (::fstatat(at, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_uid != ::geteuid() || ::fchmodat(at, name, (st.st_mode & 07777) | S_IRWXU, 0) != 0) {
        errno = EACCES;
        return -1;
    }
    return ::openat(at, name, kOpenDirFlags);
}

int OpenDirNoFollow(int at, const char *name, bool own_tree) {
    const int fd = ::openat(at, name, kOpenDirFlags);
    if (fd >= 0 || errno != EACCES || !own_tree)
        return fd;
    return OpenUnreadableOwnDir(at, name);
}

int RemoveEntryAt(int at, const char *name, bool own_tree);

// Removes everything below the open directory fd and closes it; 0, or -1 with errno of the
// first failure. A listing that fails is a failure, not an empty directory.
int EmptyDirectory(int fd, bool own_tree) {
    struct stat st;
    if (own_tree && ::fstat(fd, &st) == 0)
        GrantOwner(fd, st);
    DIR *dir = ::fdopendir(fd);
    if (dir == nullptr) {
        file_op::ErrnoKeeper keep;
        ::close(fd);
        return -1;
    }
    int result = 0;
    for (;;) {
        errno = 0;
        const struct dirent *entry = ::readdir(dir);
        if (entry == nullptr) {
            result = errno == 0 ? 0 : -1;
            break;
        }
        if (IsDotOrDotDot(entry->d_name))
            continue;
        if (RemoveEntryAt(::dirfd(dir), entry->d_name, own_tree) != 0) {
            result = -1;
            break;
        }
    }
    file_op::ErrnoKeeper keep;
    ::closedir(dir);
    return result;
}

// name relative to the directory at; a link is removed itself. 0 or -1 with errno set.
int RemoveEntryAt(int at, const char *name, bool own_tree) {
    struct stat st;
    if (::fstatat(at, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : -1;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(at, name, 0) == 0 || errno == ENOENT ? 0 : -1;
    const int fd = OpenDirNoFollow(at, name, own_tree);
    if (fd < 0 || EmptyDirectory(fd, own_tree) != 0)
        return -1;
    return ::unlinkat(at, name, AT_REMOVEDIR) == 0 ? 0 : -1;
}

int RemoveTree(const ustring &path, bool own_tree) {
    if (path.empty())
        return -1;
    const std::string name = file_op::WithoutTrailingSlashes(path.c_str());
    struct stat st;
    if (::lstat(name.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : -1;
    return RemoveEntryAt(AT_FDCWD, name.c_str(), own_tree) == 0 ? 0 : -3;
}

}  // namespace

int FSRemove(const ustring &path, bool /*flag*/) {
    return RemoveTree(path, false);
}

int FSRemoveOwnTree(const ustring &path) {
    return RemoveTree(path, true);
}
