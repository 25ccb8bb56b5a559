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

struct LauncherRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;  // standard output
};

// The installed launcher tree of the build copied into a fake installation's root, with a
// home of its own. Sample clients that run with that home are ended when the sandbox dies.
//
//   LauncherSandbox box;
//   box.MakePackage("121");
//   LauncherRun run = box.Run();
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
    // Every component at this level.
    void SetAllLevels(int level) const;
    // Installs a package of this build with a client running that takes half a second to stop:
    // the next replacement then lasts long enough for its progress dialog to be shown. False
    // when no client came up.
    bool InstallRunningClient(const std::string &build,
                              const ChildProcess::Environment &env = {}) const;

    // Starts the launcher offscreen with HOME set to the sandbox's home; `env` overrides.
    // `command` replaces the launcher's path (a link to it, or a program that starts it).
    std::unique_ptr<ChildProcess> Spawn(const ChildProcess::Environment &env = {},
                                        const std::vector<std::string> &command = {}) const;
    static LauncherRun Finish(ChildProcess &launcher);
    LauncherRun Run(const ChildProcess::Environment &env = {},
                    const std::vector<std::string> &command = {}) const;

    std::string Log() const;
    // Process ids of the sample clients running with the sandbox's home.
    std::vector<pid_t> ClientPids() const;
    // The pid the client's pid file names, 0 when there is none.
    pid_t PidFromFile() const;
    void EndClients() const;

private:
    FakeInstall fake_;
};

// True while pid names a process that has not ended (a zombie counts as ended).
bool IsAlive(pid_t pid);
// Polls condition every 20 ms until it holds or timeout_ms has passed.
bool WaitFor(const std::function<bool()> &condition, int timeout_ms = 30000);
// Runs a shell command line; its exit status.
int RunShell(const std::string &command);

}  // namespace loxtest
