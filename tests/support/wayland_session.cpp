#include "tests/support/wayland_session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "tests/support/launcher_sandbox.h"

namespace loxtest {

WaylandSession::WaylandSession() {
    const std::vector<std::string> as_nobody = AsNobody();
    if (!PathExists("/usr/bin/weston") || (::geteuid() == 0 && as_nobody.empty()))
        return;
    const std::string runtime = dir_ / "runtime";
    MakeDirs(runtime);
    ::chmod(runtime.c_str(), 0700);
    std::vector<std::string> command = {"/usr/bin/weston", "--backend=headless-backend.so",
                                        "--socket=loxen-wayland", "--idle-time=0",
                                        "--log=" + runtime + "/weston.log"};
    if (::geteuid() == 0) {
        ChownToNobody(runtime);
        MakePassable(dir_.path());
        command.insert(command.begin(), as_nobody.begin(), as_nobody.end());
    }
    weston_ = std::make_unique<ChildProcess>(
        command.front(), std::vector<std::string>(command.begin() + 1, command.end()),
        ChildProcess::Environment{{"XDG_RUNTIME_DIR", runtime}});
    started_ = weston_->started() && WaitFor([&] { return PathExists(socket()); }, 10000);
}

}  // namespace loxtest
