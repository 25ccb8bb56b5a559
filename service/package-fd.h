#pragma once

#include "common/ustring.h"

// The package opened for reading once, closed when this goes; an empty path opens nothing.
class PackageFd {
public:
    explicit PackageFd(const ustring &path);
    ~PackageFd();

    PackageFd(const PackageFd &) = delete;
    PackageFd &operator=(const PackageFd &) = delete;

    int get() const { return fd_; }       // -1 when it could not be opened
    int error() const { return error_; }  // errno of the failed open, else 0

private:
    int fd_ = -1;
    int error_ = 0;
};
