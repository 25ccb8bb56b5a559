#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/temp_dir.h"

namespace loxtest {

// Sends file descriptor 2 into a file for the lifetime of the object.
class StderrCapture {
public:
    explicit StderrCapture(const std::string &path) : path_(path) {
        std::fflush(stderr);
        saved_ = ::dup(2);
        int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(file, 2);
        ::close(file);
    }
    ~StderrCapture() { Restore(); }
    std::string Text() {
        Restore();
        return loxtest::ReadFile(path_);
    }

private:
    void Restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    std::string path_;
    int saved_ = -1;
};

}  // namespace loxtest
