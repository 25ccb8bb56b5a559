#include "service/copy-compare.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/log.h"

namespace {

// The descriptor of the copy's folder, closed when this goes.
class DirFd {
public:
    explicit DirFd(const ustring &dir)
        : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)) {}
    ~DirFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    DirFd(const DirFd &) = delete;
    DirFd &operator=(const DirFd &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool ReadLinkAt(int dir, const char *path, std::string &target) {
    char buffer[PATH_MAX];
    const ssize_t size = ::readlinkat(dir, path, buffer, sizeof buffer);
    if (size < 0 || static_cast<size_t>(size) == sizeof buffer)
        return false;
    target.assign(buffer, static_cast<size_t>(size));
    return true;
}

// What the entry at path is, as the record would hold it; false for anything else.
bool EntryOf(int dir, const char *path, const struct stat &st, InstalledEntry &entry) {
    entry = InstalledEntry();
    if (S_ISLNK(st.st_mode)) {
        entry.type = InstalledEntry::Link;
        return ReadLinkAt(dir, path, entry.target);
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return false;
    entry.type = S_ISDIR(st.st_mode) ? InstalledEntry::Dir : InstalledEntry::File;
    entry.size = S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size) : 0;
    entry.run_bits = st.st_mode & 0111;
    return true;
}

const char *TypeName(InstalledEntry::Type type) {
    switch (type) {
        case InstalledEntry::File:
            return "a file";
        case InstalledEntry::Dir:
            return "a folder";
        case InstalledEntry::Link:
            return "a link";
    }
    return "something else";
}

// Empty when the entry name in dir is what the record says; else what is wrong. The system's
// text without translation: this may run beside the start-up's setlocale.
std::string WhatDiffers(int dir, const char *name, const InstalledEntry &recorded) {
    struct stat st;
    if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return strerrordesc_np(errno);
    InstalledEntry found;
    if (!EntryOf(dir, name, st, found) || found.type != recorded.type)
        return std::string("not ") + TypeName(recorded.type);
    char what[160] = "";
    if (found.size != recorded.size)
        std::snprintf(what, sizeof what, "%lld bytes instead of %lld", found.size, recorded.size);
    else if ((found.run_bits & recorded.run_bits) != recorded.run_bits)
        std::snprintf(what, sizeof what, "run bits %03o instead of %03o", found.run_bits,
                      recorded.run_bits);
    else if (found.target != recorded.target)
        return "a link to '" + found.target + "' instead of '" + recorded.target + "'";
    return what;
}

}  // namespace

int ListCopy(const ustring &app, InstalledList &entries) {
    entries.clear();
    const DirFd dir(app);
    const int open_error = dir.get() < 0 ? errno : 0;
    std::error_code error;
    const std::filesystem::path root(app.c_str());
    std::filesystem::recursive_directory_iterator walk(root, error), end;
    for (; dir.get() >= 0 && !error && walk != end; walk.increment(error)) {
        const std::string path = walk->path().lexically_relative(root).string();
        struct stat st;
        InstalledEntry entry;
        if (::fstatat(dir.get(), path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            EntryOf(dir.get(), path.c_str(), st, entry))
            entries.emplace(path, entry);
    }
    if (dir.get() >= 0 && !error)
        return 0;
    LOX_LOG(ERROR, "service_debug", "copy-compare", "cannot list '%s': %s", app.c_str(),
            dir.get() < 0 ? std::strerror(open_error) : error.message().c_str());
    return -1;
}

CopyComparer::CopyComparer(const ustring &app)
    : root_(::open(app.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)),
      root_error_(root_ < 0 ? errno : 0) {}

CopyComparer::~CopyComparer() {
    CloseFolder();
    if (root_ >= 0)
        ::close(root_);
}

void CopyComparer::Check(const std::string &path, const InstalledEntry &recorded) {
    ++entries_;
    const char *name = nullptr;
    const int folder = root_ < 0 ? -1 : FolderOf(path, name);
    const std::string what = root_ < 0    ? strerrordesc_np(root_error_)
                             : folder < 0 ? strerrordesc_np(folder_error_)
                                          : WhatDiffers(folder, name, recorded);
    if (what.empty())
        return;
    if (difference_.count++ == 0) {
        difference_.first = path;
        difference_.what = what;
    }
}

int CopyComparer::FolderOf(const std::string &path, const char *&name) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        name = path.c_str();
        return root_;
    }
    name = path.c_str() + slash + 1;
    if (folder_.size() != slash || path.compare(0, slash, folder_) != 0) {
        CloseFolder();
        folder_.assign(path, 0, slash);
        folder_fd_ =
            ::openat(root_, folder_.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        folder_error_ = errno;
    }
    return folder_fd_;
}

void CopyComparer::CloseFolder() {
    if (folder_fd_ >= 0)
        ::close(folder_fd_);
    folder_fd_ = -1;
}

CopyDifference CompareCopy(const ustring &app, const InstalledList &record) {
    CopyComparer comparer(app);
    for (const auto &item : record) comparer.Check(item.first, item.second);
    return comparer.Difference();
}
