#pragma once

// Helpers shared by the file-op tests: special files, another file system, and checks run
// as an unprivileged user.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"

namespace fileop_test {

// A UNIX socket entry at path; the descriptor is closed at once, the entry stays.
inline bool MakeSocket(const std::string &path) {
    struct sockaddr_un address;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound =
        ::bind(fd, reinterpret_cast<const struct sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

inline dev_t DeviceOf(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_dev : 0;
}

inline mode_t ModeOf(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// A fresh temporary directory on /dev/shm when that is another file system than near;
// null otherwise (the caller skips).
inline std::unique_ptr<loxtest::TempDir> TempDirOnOtherDevice(const std::string &near) {
    const char shm[] = "/dev/shm";
    if (::access(shm, W_OK | X_OK) != 0 || DeviceOf(shm) == DeviceOf(near))
        return nullptr;
    const char *old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("TMPDIR", shm, 1);
    auto dir = std::make_unique<loxtest::TempDir>();
    if (old != nullptr)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    if (dir->path().empty())
        return nullptr;
    return dir;
}

// Runs check in a forked child as "nobody". Returns the check's result (0 means it saw
// what it expected), or -1 when dropping privileges is impossible here.
inline int AsNobody(const std::function<int()> &check) {
    auto trampoline = [](void *arg) { return (*static_cast<const std::function<int()> *>(arg))(); };
    return loxtest::RunAsNobody(trampoline, const_cast<std::function<int()> *>(&check));
}

// The temporary directory is created 0700; the unprivileged child must be able to enter it.
inline void OpenForOthers(const loxtest::TempDir &dir) {
    ::chmod(dir.path().c_str(), 0755);
}

}  // namespace fileop_test

// Skips the test when the check cannot run as an unprivileged user, else expects 0.
#define EXPECT_AS_NOBODY(check)                                                      \
    do {                                                                             \
        const int nobody_result = fileop_test::AsNobody(check);                      \
        if (nobody_result < 0)                                                       \
            GTEST_SKIP() << "cannot drop to user nobody here (needs root)";          \
        EXPECT_EQ(0, nobody_result) << "step that failed in the unprivileged child"; \
    } while (0)
