#pragma once

#include <memory>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace loxtest {

// A Wayland session without X11 beside it: Debian's weston on its headless backend, run by the
// user "nobody" (the current user when the test is not root) in a private runtime directory.
// Clients of that user connect with WAYLAND_DISPLAY=socket(). Ended when the object dies.
class WaylandSession {
public:
    WaylandSession();

    // False where weston cannot start a compositor here (the caller skips with a reason).
    bool started() const { return started_; }
    std::string socket() const { return dir_ / "runtime/loxen-wayland"; }

private:
    TempDir dir_;
    std::unique_ptr<ChildProcess> weston_;
    bool started_ = false;
};

}  // namespace loxtest
