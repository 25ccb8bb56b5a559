#pragma once

#include "common/ustring.h"

// The package opened for reading once, closed when this goes; an empty path opens nothing.
class PackageFd {
public:
    explicit PackageFd(const ustring &path);
    ~PackageFd();

    PackageFd(const PackageFd &) = delete;
    PackageFd &operator=(const PackageFd &) = delete;

    int get() const { return fd_; }  // -1 when it could not be opened (errno says why)

private:
    int fd_ = -1;
};
