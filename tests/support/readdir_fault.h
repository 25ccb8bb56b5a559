#pragma once

// A listing that fails part way, for a test binary linked with -Wl,--wrap=readdir. Include
// this header in exactly one source file of that binary.

#include <dirent.h>

#include <cerrno>

extern "C" struct dirent *__real_readdir(DIR *dir);

namespace loxtest {

// Entries that readdir still delivers before it fails with EIO; -1 never fails.
inline int readdir_entries_before_failure = -1;

}  // namespace loxtest

extern "C" struct dirent *__wrap_readdir(DIR *dir) {
    if (loxtest::readdir_entries_before_failure == 0) {
        errno = EIO;
        return nullptr;
    }
    if (loxtest::readdir_entries_before_failure > 0)
        --loxtest::readdir_entries_before_failure;
    return __real_readdir(dir);
}
