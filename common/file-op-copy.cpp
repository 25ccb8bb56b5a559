// Copying the bytes of one file, optionally removing the source afterwards.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "common/file-op-internal.h"
#include "common/file-op.h"
#include "common/log.h"

namespace {

constexpr size_t kCopyBufferSize = 8192;
constexpr mode_t kNewFileMode = 0666;

// An open descriptor closed on scope exit; closing keeps errno.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Close() {
        if (fd_ < 0)
            return;
        file_op::ErrnoKeeper keep;
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

int WriteFailureCode(int err) {
    return err == EDQUOT || err == ENOSPC ? -2 : -1;
}

// O_NONBLOCK so that opening a FIFO never waits for its other end; reads and writes
// then block as usual.
int OpenForCopy(const ustring &path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: open(%s): %s (%d)", path.c_str(),
                file_op::ErrorText(keep.saved()).c_str(), keep.saved());
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

// Truncating only after the same-file test, so copying a file onto itself (through a
// hard link or another path) cannot wipe it.
int PrepareDestination(int source, int destination, const ustring &path) {
    struct stat from;
    struct stat to;
    if (::fstat(source, &from) == 0 && ::fstat(destination, &to) == 0 && from.st_dev == to.st_dev &&
        from.st_ino == to.st_ino) {
        LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: '%s' is the source itself",
                path.c_str());
        errno = EINVAL;
        return -1;
    }
    if (::fstat(destination, &to) != 0 || !S_ISREG(to.st_mode) || ::ftruncate(destination, 0) == 0)
        return 0;
    file_op::ErrnoKeeper keep;
    LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: open(%s): %s (%d)", path.c_str(),
            file_op::ErrorText(keep.saved()).c_str(), keep.saved());
    return -1;
}

int WriteAll(int fd, const char *data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            file_op::ErrnoKeeper keep;
            LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: write: %s (%d)",
                    file_op::ErrorText(keep.saved()).c_str(), keep.saved());
            return WriteFailureCode(keep.saved());
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

int CopyBytes(int source, int destination) {
    std::unique_ptr<char, file_op::FreeDeleter> buffer(
        static_cast<char *>(std::malloc(kCopyBufferSize)));
    if (!buffer) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "FSCopy: malloc(%d): %s (%d)",
                static_cast<int>(kCopyBufferSize), file_op::ErrorText(keep.saved()).c_str(),
                keep.saved());
        return -1;
    }
    for (;;) {
        const ssize_t got = ::read(source, buffer.get(), kCopyBufferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file_op::ErrnoKeeper keep;
            LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: read: %s (%d)",
                    file_op::ErrorText(keep.saved()).c_str(), keep.saved());
            return -1;
        }
        if (got == 0)
            return 0;
        const int status = WriteAll(destination, buffer.get(), static_cast<size_t>(got));
        if (status != 0)
            return status;
    }
}

// A destination whose flush or close fails is not safely written: reported like a failed
// write. Special files that cannot be flushed (EINVAL, EROFS) are not at fault.
int FlushAndClose(int fd) {
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: fsync: %s (%d)",
                file_op::ErrorText(keep.saved()).c_str(), keep.saved());
        ::close(fd);
        return WriteFailureCode(keep.saved());
    }
    if (::close(fd) != 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: close: %s (%d)",
                file_op::ErrorText(keep.saved()).c_str(), keep.saved());
        return WriteFailureCode(keep.saved());
    }
    return 0;
}

// Links are followed, as for the copy itself. Refused before the destination is touched: a
// directory would truncate it for nothing, a device or a pipe might never end.
int RequireRegularSource(int fd, const ustring &path) {
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        file_op::ErrnoKeeper keep;
        LOX_LOG(ERROR, "file_op_debug", "file-op", "CopyFile: fstat(%s): %s (%d)", path.c_str(),
                file_op::ErrorText(keep.saved()).c_str(), keep.saved());
        return -1;
    }
    if (S_ISREG(st.st_mode))
        return 0;
    LOX_LOG(ERROR, "file_op_debug", "file-op",
            "CopyFile: '%s' is not a regular file, not copying it", path.c_str());
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
}

// opened tells whether the destination was opened (with O_EXCL: created) by this call.
int CopyFile(const ustring &source, const ustring &destination, bool remove_source,
             int create_flags, bool &opened) {
    Descriptor in(OpenForCopy(source, O_RDONLY));
    if (!in.IsOpen() || RequireRegularSource(in.get(), source) != 0)
        return -1;
    Descriptor out(OpenForCopy(destination, O_WRONLY | O_CREAT | create_flags));
    if (!out.IsOpen())
        return -1;
    opened = true;
    if (PrepareDestination(in.get(), out.get(), destination) != 0)
        return -1;

    const int status = CopyBytes(in.get(), out.get());
    const int copy_errno = errno;
    in.Close();
    const int finished = FlushAndClose(out.Release());
    if (status != 0) {
        errno = copy_errno;
        return status;
    }
    if (finished != 0)
        return finished;
    // Only now is the destination safely on disk.
    if (!remove_source)
        return 0;
    return ::remove(source.c_str()) == 0 ? 0 : -1;
}

}  // namespace

int FSCopy(const ustring &source, const ustring &destination, bool remove_source) {
    bool opened = false;
    return CopyFile(source, destination, remove_source, 0, opened);
}

int file_op::CopyToNewFile(const ustring &source, const ustring &destination) {
    bool created = false;
    const int status = CopyFile(source, destination, false, O_EXCL, created);
    if (status != 0 && created) {
        file_op::ErrnoKeeper keep;
        ::unlink(destination.c_str());
    }
    return status;
}
