#include "service/package-fd.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

PackageFd::PackageFd(const ustring &path) {
    if (!path.empty())
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (!path.empty() && fd_ < 0)
        error_ = errno;
}

PackageFd::~PackageFd() {
    if (fd_ >= 0)
        ::close(fd_);
}
