#pragma once

#include <dirent.h>

#include <cstdint>

#include "common/ustring.h"

// File-system library: free functions on UTF-8 paths with integer statuses.
// Information and type decisions never follow a final symbolic link.

enum {
    FS_TYPE_NONE = 0,
    FS_TYPE_FILE = 1,
    FS_TYPE_DIR = 2,
    FS_TYPE_LINK = 3,
    FS_TYPE_DEVICE = 5,
    FS_TYPE_FIFO = 6,
    FS_TYPE_SOCKET = 7,
};

struct _FILE_INFO_tag {
    ustring path;
    ustring name;
    int32_t type = FS_TYPE_NONE;
    int32_t mtime = 0;
    int64_t size = 0;
    bool exists = false;
    uint32_t uid = 0;
    uint32_t gid = 0;
    uint32_t mode = 0;
    uint64_t dev = 0;
};

// Compares exists, size, mtime, type, path and name; owner, mode and device take no part.
bool operator==(const _FILE_INFO_tag &a, const _FILE_INFO_tag &b);
bool operator!=(const _FILE_INFO_tag &a, const _FILE_INFO_tag &b);

// ---- information and path queries (file-op.cpp)

// 0 with exists false for a missing entry, -1 for any other failure.
int GetFileInfo(const ustring &path, _FILE_INFO_tag &info);
// -1 for an empty path, -2 when GetFileInfo fails. The flag changes nothing.
int FSStat(const ustring &path, _FILE_INFO_tag &info, bool follow_link);
bool IsFileExist(const ustring &path, bool follow_link);

ustring FSParentPath(const ustring &path);
ustring FSBaseName(const ustring &path);
bool FSIsParentFolder(const ustring &parent, const ustring &child);
int FSGetRealPath(ustring &path);

// True on network or user-space file systems (CIFS, NFS, FUSE).
bool isMountPoint(const ustring &path);
bool IsMSDOS(const ustring &path);
// mode: access(2) bits. Locked only when access is refused (EPERM, EACCES).
bool isFileLocked(const ustring &path, int mode);
bool hasFilePermission(const ustring &path, int mode);
bool FSTimeEqual(long a, long b);

int FSUTime(const ustring &path, long atime, long mtime);
int FSChown(const ustring &path, unsigned int uid, unsigned int gid);

// ---- creating, copying, renaming and removing (file-op-modify.cpp, file-op-copy.cpp,
// file-op-remove.cpp)

// Mode value that keeps 0777 and the process's file-creation mask.
constexpr unsigned int FS_MKDIR_DEFAULT_MODE = 0xFFFFFFFFu;

// 0 done or already a directory, -1 bad input or not a directory, -2 creation failed.
int FSMKDir(const ustring &path, bool recursive);
// stop, when given, points into path's own text at the end of the last component tried.
int FSMKDirP(const ustring &path, char **stop, bool replace, unsigned int mode);
int FSMKDirFromRoot(const ustring &target, const ustring &root);
// -2 when the disk or quota is full, -1 for other failures. The source goes only after the
// destination is flushed and closed.
int FSCopy(const ustring &source, const ustring &destination, bool remove_source);
// -1 bad input, -2 no source, -3 failed, -100 name too long. Across file systems a directory
// is merged into the destination without replacing any file there; the source goes only after
// the complete copy is on disk, and a failed copy is taken back.
int FSRename(const ustring &source, const ustring &destination, bool flag);
// Always recursive; a link is removed, never followed, whatever the spelling of the path.
// -1 bad input, -3 failed (errno from the failing call).
int FSRemove(const ustring &path, bool flag);
// FSRemove for trees the launcher made itself: directories inside that the user owns first
// get the owner's read, write and search bits, as "chmod -R u+w" before "rm -rf".
int FSRemoveOwnTree(const ustring &path);
int FSMktemp(const ustring &directory, ustring &created_path);
int FSCreateTempPath(const ustring &directory, ustring &new_path);

// ---- directory listing and symbolic links (file-op-dir.cpp)

// FSReadDir also fills mtime and size of each entry.
constexpr int FS_DIR_WITH_INFO = 1;

struct DIR_HANDLE {
    ustring path;
    int flags = 0;
    DIR *dir = nullptr;
};

struct DIR_ENTRY {
    ustring name;
    int32_t type = FS_TYPE_NONE;
    int32_t mtime = 0;
    int64_t size = 0;
};

int FSOpenDir(const ustring &path, int flags, DIR_HANDLE &handle);
// 1 an entry, 0 no more entries, -1 failure (the listing failed, or the information of
// FS_DIR_WITH_INFO). "." and ".." are returned too.
int FSReadDir(DIR_HANDLE &handle, DIR_ENTRY &entry);
void FSCloseDir(DIR_HANDLE &handle);
int FSCreateSymbolicLink(const ustring &target, const ustring &link_path);
int FSReadSymbolicLink(const ustring &link_path, ustring &target);
