#pragma once

#include <sys/types.h>

#include <map>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/temp_dir.h"

namespace loxtest {

struct CapturedRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;  // standard output
    std::string err;  // standard error
};

enum class RunUser { Current, Nobody };

// What a fault case needs beside the sandbox, kept out of the sandbox's own temporary root so
// that the before-and-after listing of that root sees only what the launcher did: a private
// runtime directory (the single-instance lock goes there, not to a shared /tmp folder, when the
// home cannot hold it), captured streams and gate files.
class FaultScratch {
public:
    FaultScratch();

    const std::string &path() const { return dir_.path(); }
    std::string operator/(const std::string &relative) const { return dir_ / relative; }
    std::string runtime_dir() const { return dir_ / "runtime"; }

    // HOME, the offscreen platform and the private runtime directory.
    ChildProcess::Environment Env(const std::string &home) const;

    // Runs the launcher to its end with both output streams kept. As RunUser::Nobody the run
    // drops to the user "nobody" when the test is root (the caller gives that user access to
    // the trees first); false from CanRunAs means the drop is impossible here.
    CapturedRun Run(const std::string &launcher, const ChildProcess::Environment &env,
                    RunUser user = RunUser::Current);
    static bool CanRunAs(RunUser user);

private:
    TempDir dir_;
    int runs_ = 0;
};

// The tree a package unpacks to, as SnapshotTree shows it (tar is the reference).
std::map<std::string, std::string> PackageTree(const std::string &package);

// Waits for the sample client that a run started and ends it with SIGTERM (so that it also
// ends its sleeper), SIGKILL if it lingers. False when no client came up. The first finds it
// by the sandbox home's environment, the second through the pid file of another per-user tree
// (only a process running a "bin/cloud-loxen-ui" is touched).
bool EndClient(const LauncherSandbox &box, int wait_ms = 10000);
bool EndClient(const std::string &user_path, int wait_ms = 10000);
// The live sample client that the pid file of this per-user tree names, or 0.
pid_t ClientNamedBy(const std::string &user_path);

int CountOf(const std::string &text, const std::string &needle);

// A single-quoted shell word.
std::string ShellQuote(const std::string &text);
// Runs a shell command line with standard output kept; standard error passes through.
CapturedRun RunCapturing(const std::string &command);

}  // namespace loxtest
