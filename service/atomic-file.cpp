#include "service/atomic-file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/file-op.h"

namespace {

bool WriteAll(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;  // no error of its own, and none to keep from before
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Writes path with text and flushes it; -1 with errno set on failure.
int WriteFlushed(const ustring &path, const std::string &text) {
    // A stale file of that name may be a link out of the tree; a fresh file is never one.
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
    int saved = errno;
    ::close(fd);
    errno = saved;
    return ok ? 0 : -1;
}

}  // namespace

ustring AtomicTemporaryPath(const ustring &path) {
    return path + ".new";
}

int WriteFileAtomically(const ustring &path, const std::string &text) {
    const ustring fresh = AtomicTemporaryPath(path);
    if (WriteFlushed(fresh, text) == 0 && ::rename(fresh.c_str(), path.c_str()) == 0 &&
        FlushDirectory(FSParentPath(path)) == 0)
        return 0;
    const int saved = errno;
    ::unlink(fresh.c_str());
    errno = saved;
    return -1;
}

int FlushDirectory(const ustring &dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int ret = ::fsync(fd);
    int saved = errno;
    ::close(fd);
    errno = saved;
    return ret;
}
