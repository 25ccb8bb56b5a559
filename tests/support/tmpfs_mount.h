#pragma once

#include <string>

namespace loxtest {

// A small tmpfs mounted on an existing directory of a test (another file system there),
// unmounted when the object dies. Mounting needs root: mounted() false means the test skips.
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string &dir);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return mounted_; }

private:
    std::string dir_;
    bool mounted_ = false;
};

}  // namespace loxtest
