#include "tests/support/tmpfs_mount.h"

#include <sys/mount.h>
#include <unistd.h>

namespace loxtest {

TmpfsMount::TmpfsMount(const std::string &dir) : dir_(dir) {
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                                           "size=8m,mode=0755") == 0;
}

TmpfsMount::~TmpfsMount() {
    if (mounted_)
        ::umount2(dir_.c_str(), MNT_DETACH);
}

}  // namespace loxtest
