#pragma once

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/fake_install.h"

namespace loxtest {

// The installed launcher tree of the build copied into a fake installation's root, with a
// home of its own. Sample clients that run with that home are ended when the sandbox dies.
//
//   LauncherSandbox box;
//   box.MakePackage("121");
//   CapturedRun run = box.Run();
class LauncherSandbox {
public:
    LauncherSandbox();
    ~LauncherSandbox();
    LauncherSandbox(const LauncherSandbox &) = delete;
    LauncherSandbox &operator=(const LauncherSandbox &) = delete;

    const FakeInstall &fake() const { return fake_; }
    std::string launcher() const { return fake_.root() + "/bin/loxen-launcher"; }

    // scripts/make-package [options...] BUILD root
    void MakePackage(const std::string &build, const std::vector<std::string> &options = {}) const;
    // MakePackage with a start script that counts its runs in Starts() and holds its launcher
    // until Release(), two minutes at most.
    void MakeGatedPackage(const std::string &build, std::vector<std::string> options = {}) const;
    int Starts() const;
    void Release() const;
    // Every component at this level.
    void SetAllLevels(int level) const;
    // Installs a package of this build with a client running that takes half a second to stop:
    // the next replacement then lasts long enough for its progress dialog to be shown. With
    // `as_nobody` (root only) the home and that client belong to the user nobody. False when no
    // client came up.
    bool InstallRunningClient(const std::string &build, const ChildProcess::Environment &env = {},
                              bool as_nobody = false) const;

    // Starts the launcher offscreen with HOME set to the sandbox's home; `env` overrides.
    // `command` replaces the launcher's path (a link to it, or a program that starts it).
    std::unique_ptr<ChildProcess> Spawn(const ChildProcess::Environment &env = {},
                                        const std::vector<std::string> &command = {}) const;
    // Standard error passes through.
    static CapturedRun Finish(ChildProcess &launcher);
    CapturedRun Run(const ChildProcess::Environment &env = {},
                    const std::vector<std::string> &command = {}) const;

    std::string Log() const;
    // Process ids of the sample clients running with the sandbox's home.
    std::vector<pid_t> ClientPids() const;

private:
    FakeInstall fake_;
};

// True while pid names a process that has not ended (a zombie counts as ended).
bool IsAlive(pid_t pid);
// Polls condition every 20 ms until it holds or timeout_ms has passed.
bool WaitFor(const std::function<bool()> &condition, int timeout_ms = 30000);

// Waits for the sample client that a run started and ends it with SIGTERM (so that it also
// ends its sleeper), SIGKILL if it lingers. False when no client came up. The first finds it
// by the sandbox home's environment, the second through the pid file of another per-user tree
// (only a process running a "bin/cloud-loxen-ui" is touched).
bool EndClient(const LauncherSandbox &box, int wait_ms = 10000);
bool EndClient(const std::string &user_path, int wait_ms = 10000);
// The live sample client that the pid file of this per-user tree names, or 0.
pid_t ClientNamedBy(const std::string &user_path);
// Starts, for this home, a client that stops after SIGTERM only once the launcher's log says
// that, since the client started, a dialog was shown or a run ended (at most five seconds later),
// so that a replacement over it shows its dialog however slow the machine. With `as_nobody` (root
// only) it runs as nobody. False when it did not come up.
bool StartSlowClient(const std::string &home, bool as_nobody = false);

}  // namespace loxtest
