#pragma once

#include <string>

#include "tests/support/child_process.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_listing.h"

namespace loxtest {

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

// A sandbox with its scratch, as the tests of the whole program use them.
class FaultCase {
public:
    const FakeInstall &fake() const { return box.fake(); }
    // Runs the sandbox's launcher for its own home.
    CapturedRun RunLauncher(RunUser user = RunUser::Current) {
        return scratch.Run(box.launcher(), scratch.Env(fake().home()), user);
    }
    // Everything under the temporary root except the per-user tree of home.
    TreeListing Outside(const std::string &home) const {
        return ListTree(fake().base(), {home + "/.BrenthorLoxen"});
    }
    TreeListing Outside() const { return Outside(fake().home()); }
    // NamesIn the per-user tree, without the pid file a sample client may have left.
    std::set<std::string> UserTreeNames() const {
        std::set<std::string> names = NamesIn(fake().user_path());
        names.erase("ui.pid");
        return names;
    }

    LauncherSandbox box;
    FaultScratch scratch;
};

// The tree a package unpacks to, as ListTree shows it (tar is the reference).
TreeListing PackageTree(const std::string &package);

}  // namespace loxtest
