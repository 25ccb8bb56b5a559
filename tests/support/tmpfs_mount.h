#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace loxtest {

// A small tmpfs on an existing directory of a test (another file system there), unmounted when
// the object dies. Mounting needs root: mounted() false means the test skips.
class TmpfsMount {
public:
    // extra_flags: MS_NOEXEC for a file system that runs no programs.
    explicit TmpfsMount(const std::string &dir, unsigned long extra_flags = 0)
        : dir_(dir),
          mounted_(::geteuid() == 0 &&
                   ::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV | extra_flags,
                           "size=8m,mode=0755") == 0) {}
    ~TmpfsMount() {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;
    bool mounted() const { return mounted_; }

private:
    std::string dir_;
    bool mounted_;
};

}  // namespace loxtest
