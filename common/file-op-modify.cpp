// Creating directories, renaming and temporary names.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/file-op-internal.h"
#include "common/file-op.h"
#include "common/log.h"
#include "common/tmpnamegen.h"

namespace {

constexpr mode_t kDefaultDirMode = 0777;
constexpr size_t kTempTemplateSize = 4096;
constexpr mode_t kTempFileMode = 0644;

// Clears the file-creation mask while an explicit mode is in use, and puts it back.
class CreationMaskGuard {
public:
    explicit CreationMaskGuard(bool clear) : changed_(clear) {
        if (changed_)
            previous_ = ::umask(0);
    }
    ~CreationMaskGuard() {
        if (changed_)
            ::umask(previous_);
    }
    CreationMaskGuard(const CreationMaskGuard &) = delete;
    CreationMaskGuard &operator=(const CreationMaskGuard &) = delete;

private:
    bool changed_;
    mode_t previous_ = 0;
};

// A directory listing that closes itself; closing keeps errno.
class DirStream {
public:
    explicit DirStream(const ustring &path) : dir_(::opendir(path.c_str())) {}
    ~DirStream() { Close(); }
    DirStream(const DirStream &) = delete;
    DirStream &operator=(const DirStream &) = delete;

    bool IsOpen() const { return dir_ != nullptr; }

    void Close() {
        if (dir_ == nullptr)
            return;
        file_op::ErrnoKeeper keep;
        ::closedir(dir_);
        dir_ = nullptr;
    }

    // visit(name) for every entry but "." and ".."; stops and answers false at its first
    // false, and when the listing fails.
    template <typename Visit>
    bool ForEachChild(Visit visit) {
        for (;;) {
            errno = 0;
            const struct dirent *entry = ::readdir(dir_);
            if (entry == nullptr)
                return errno == 0;
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            if (!visit(name))
                return false;
        }
    }

private:
    DIR *dir_;
};

ustring ChildPath(const ustring &parent, const char *name) {
    return parent + "/" + name;
}

// One prefix of FSMKDirP; false ends the walk with a failure.
bool MakeComponent(const char *prefix, bool last, bool replace, mode_t mode) {
    struct stat st;
    if (::stat(prefix, &st) != 0)
        return ::mkdir(prefix, mode) == 0;
    if (S_ISDIR(st.st_mode))
        return true;
    if (replace) {
        ::remove(prefix);
        return ::mkdir(prefix, mode) == 0;
    }
    if (last) {
        errno = EEXIST;
        file_op::ErrnoKeeper keep;
        LOX_LOG(INFO, "file_op_debug", "file-op",
                "FSMKDirP: path: %s is existing file or symbolic link pointed to file", prefix);
        return false;
    }
    // The next component then fails with ENOTDIR.
    LOX_LOG(INFO, "file_op_debug", "file-op", "FSMKDirP: path: %s is not a directory, going on",
            prefix);
    return true;
}

// What a cross-device move has made in the destination, in order, so that a failure can take
// exactly that back and leave the destination as it was.
class MadeEntries {
public:
    void Add(const ustring &path, bool directory) { made_.push_back({path, directory}); }
    void TakeBack() {
        file_op::ErrnoKeeper keep;
        for (auto entry = made_.rbegin(); entry != made_.rend(); ++entry)
            entry->second ? ::rmdir(entry->first.c_str()) : ::unlink(entry->first.c_str());
        made_.clear();
    }

private:
    std::vector<std::pair<ustring, bool>> made_;
};

// A link keeps its text: as the whole tree moves, it names the same entry from its new place.
bool CopyLink(const ustring &source, const _FILE_INFO_tag &info, const ustring &destination) {
    std::vector<char> target(static_cast<size_t>(info.size) + 1);
    const ssize_t length = ::readlink(source.c_str(), target.data(), target.size());
    if (length < 0)
        return false;
    if (length != info.size) {
        errno = EAGAIN;  // changed since it was looked at
        return false;
    }
    target[static_cast<size_t>(length)] = '\0';
    return ::symlink(target.data(), destination.c_str()) == 0;
}

// What can run and who may read stays as it was: a moved copy of a program must still run.
bool KeepMode(const ustring &path, const _FILE_INFO_tag &info) {
    return ::chmod(path.c_str(), info.mode & 07777) == 0;
}

// Copies the tree into destination, merging into directories already there; an existing entry
// is never overwritten (the copy stops there). Entries other than files, directories and links
// cannot cross file systems.
bool CopyTreeMerging(const ustring &source, const ustring &destination, MadeEntries &made) {
    _FILE_INFO_tag from_info;
    _FILE_INFO_tag info;
    if (GetFileInfo(source, from_info) != 0 || GetFileInfo(destination, info) != 0)
        return false;
    const bool making = !info.exists;
    if (making) {
        if (::mkdir(destination.c_str(), kDefaultDirMode) != 0)
            return false;
        made.Add(destination, true);
    } else if (info.type != FS_TYPE_DIR) {
        errno = EEXIST;
        return false;
    }
    DirStream listing(source);
    if (!listing.IsOpen())
        return false;
    const bool copied = listing.ForEachChild([&](const char *name) {
        const ustring from = ChildPath(source, name);
        const ustring to = ChildPath(destination, name);
        _FILE_INFO_tag child;
        if (GetFileInfo(from, child) != 0)
            return false;
        switch (child.type) {
            case FS_TYPE_DIR:
                return CopyTreeMerging(from, to, made);
            case FS_TYPE_LINK:
                if (!CopyLink(from, child, to))
                    return false;
                made.Add(to, false);
                return true;
            case FS_TYPE_FILE:
                if (file_op::CopyToNewFile(from, to) != 0)
                    return false;
                made.Add(to, false);
                return KeepMode(to, child);
            default:
                errno = EXDEV;
                return false;
        }
    });
    // Last, so that a folder without write permission could still be filled.
    return copied && (!making || KeepMode(destination, from_info));
}

// The files are flushed one by one as they are copied; the new directory entries too.
bool FlushFileSystemOf(const ustring &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::syncfs(fd) == 0;
    file_op::ErrnoKeeper keep;
    ::close(fd);
    return flushed;
}

// The source goes only once the whole copy is complete and on disk; a failed copy takes back
// what it made, so both sides stay as they were.
int MoveTreeAcrossDevices(const ustring &source, const ustring &destination) {
    MadeEntries made;
    if (!CopyTreeMerging(source, destination, made) || !FlushFileSystemOf(destination)) {
        made.TakeBack();
        return -3;
    }
    return FSRemove(source, false) == 0 ? 0 : -3;
}

int MoveLinkAcrossDevices(const ustring &source, const _FILE_INFO_tag &info,
                          const ustring &destination) {
    if (!CopyLink(source, info, destination))
        return -3;
    if (::unlink(source.c_str()) == 0)
        return 0;
    file_op::ErrnoKeeper keep;
    ::unlink(destination.c_str());
    return -3;
}

}  // namespace

int FSMKDir(const ustring &path, bool recursive) {
    if (path.empty()) {
        errno = EINVAL;  // a caller reads errno after any failure
        return -1;
    }
    _FILE_INFO_tag info;
    if (GetFileInfo(path, info) != 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "FSMKDir: Failed to to file info '%s'",
                path.c_str());
        return -1;
    }
    if (info.exists) {
        if (info.type == FS_TYPE_DIR)
            return 0;
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "FSMKDir: Create a folder but local file system is not directory '%s' (%d)",
                path.c_str(), info.type);
        errno = EEXIST;  // as mkdir answers
        return -1;
    }
    const bool created = recursive ? FSMKDirP(path, nullptr, false, FS_MKDIR_DEFAULT_MODE) == 0
                                   : ::mkdir(path.c_str(), kDefaultDirMode) == 0;
    if (created)
        return 0;
    file_op::ErrnoKeeper keep;
    LOX_LOG(ERROR, "file_op_debug", "file-op", "path = %s errno : %s", path.c_str(),
            file_op::ErrorText(keep.saved()).c_str());
    return -2;
}

int FSMKDirP(const ustring &path, char **stop, bool replace, unsigned int mode) {
    if (path.empty())
        return -1;
    std::unique_ptr<char, file_op::FreeDeleter> copy(::strdup(path.c_str()));
    if (!copy)
        return -1;
    const bool explicit_mode = mode != FS_MKDIR_DEFAULT_MODE;
    const mode_t create_mode = explicit_mode ? static_cast<mode_t>(mode) : kDefaultDirMode;
    CreationMaskGuard mask(explicit_mode);

    char *text = copy.get();
    size_t start = text[0] == '/' ? 1 : 0;
    size_t end = 0;
    bool made = true;
    for (;;) {
        const char *slash = std::strchr(text + start, '/');
        const bool last = slash == nullptr || slash[1] == '\0';
        end = slash != nullptr ? static_cast<size_t>(slash - text) : std::strlen(text);
        const char kept = text[end];
        text[end] = '\0';
        made = MakeComponent(text, last, replace, create_mode);
        text[end] = kept;
        if (!made || last)
            break;
        start = end + 1;
    }
    if (stop != nullptr)
        *stop = const_cast<char *>(path.c_str()) + end;
    return made ? 0 : -1;
}

int FSMKDirFromRoot(const ustring &target, const ustring &root) {
    if (root.length() > target.length()) {
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "Giving a root '%s' whose length is larger then target's '%s'.", root.c_str(),
                target.c_str());
        return -1;
    }
    if (!FSIsParentFolder(root, target)) {
        LOX_LOG(ERROR, "file_op_debug", "file-op",
                "root '%s' is not a parent folder of target '%s'", root.c_str(), target.c_str());
        return -1;
    }
    const std::string remainder(target.c_str() + root.length());
    std::string piece;
    while (piece != remainder) {
        const size_t slash = remainder.find('/', piece.length() + 1);
        piece = remainder.substr(0, slash);
        LOX_LOG(DEBUG, "file_op_debug", "file-op", "FSMKDirFromRoot: create %s", piece.c_str());
        if (FSMKDir(root + piece.c_str(), false) < 0)
            return -1;
    }
    return 0;
}

int FSRename(const ustring &source, const ustring &destination, bool flag) {
    if (source.empty() || destination.empty())
        return -1;
    _FILE_INFO_tag info;
    if (FSStat(source, info, flag) != 0 || !info.exists)
        return -2;
    if (::rename(source.c_str(), destination.c_str()) == 0)
        return 0;
    if (errno == ENAMETOOLONG)
        return -100;
    if (errno != EXDEV)
        return -3;
    switch (info.type) {
        case FS_TYPE_FILE:
            return FSCopy(source, destination, true) < 0 ? -3 : 0;
        case FS_TYPE_DIR:
            return MoveTreeAcrossDevices(source, destination);
        case FS_TYPE_LINK:
            return MoveLinkAcrossDevices(source, info, destination);
        default:
            return -3;
    }
}

int FSMktemp(const ustring &directory, ustring &created_path) {
    char name[kTempTemplateSize];
    std::snprintf(name, sizeof name, "%s/XXXXXX", directory.c_str());
    // mkostemp may leave its last try in name; the message shows the template.
    const std::string pattern = name;
    const int fd = ::mkostemp(name, O_CLOEXEC);
    if (fd < 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "mkstemp(%s): %s", pattern.c_str(),
                file_op::ErrorText(keep.saved()).c_str());
        return -1;
    }
    ::close(fd);
    created_path = name;
    ::chmod(name, kTempFileMode);
    return 0;
}

int FSCreateTempPath(const ustring &directory, ustring &new_path) {
    new_path = TmpNameGen::getInstance().getTmpPath(directory.c_str());
    return new_path.empty() ? -1 : 0;
}
