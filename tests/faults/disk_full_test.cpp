// The per-user tree on a small file system that the new package does not fit although the space
// check let it through: its files outnumber the free inodes, so the extraction runs out of room
// half way (a copy whose bytes do not fit never starts, see the desktop notice test). The old
// installation must come through intact and start; with no old installation no partial tree
// may stay. Needs root to mount a size-limited tmpfs on the per-user tree.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/tree_listing.h"

namespace loxtest {
namespace {

const char kOldBuild[] = "120";
const char kNewBuild[] = "121";
// Bytes for 2000 filler files of 4 KiB, inodes for about 400.
const char kMountOptions[] = "size=8m,nr_inodes=400,mode=0755";

// A tmpfs mounted on dir for the life of the object.
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string &dir) : dir_(dir) {
        if (::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, kMountOptions) != 0)
            error_ = std::strerror(errno);
    }
    ~TmpfsMount() {
        // A process still holding a file there must not keep the mount alive after the test.
        if (mounted() && ::umount2(dir_.c_str(), 0) != 0)
            ::umount2(dir_.c_str(), MNT_DETACH);
    }
    TmpfsMount(const TmpfsMount &) = delete;
    TmpfsMount &operator=(const TmpfsMount &) = delete;

    bool mounted() const { return error_.empty(); }
    const std::string &error() const { return error_; }

private:
    std::string dir_;
    std::string error_;
};

class DiskFullTest : public ::testing::Test, protected FaultCase {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a small file system for the per-user tree needs root";
        MakeDirs(fake().user_path());
        mount = std::make_unique<TmpfsMount>(fake().user_path());
        if (!mount->mounted())
            GTEST_SKIP() << "cannot mount a tmpfs on the per-user tree: " << mount->error();
    }

    // Unmounted before the sandbox goes, and only once no client holds a file there.
    void TearDown() override {
        for (pid_t client : box.ClientPids()) {
            ::kill(client, SIGKILL);
            WaitFor([&] { return !IsAlive(client); }, 5000);
        }
        mount.reset();
    }

    void MakePackage(const char *build, int filler) {
        box.MakePackage(build, {"--filler", std::to_string(filler)});
    }

    // What the full disk kept out of the log file went to standard error, whole; the final
    // verdict, written once the partial tree is gone, is in the file.
    // The check tells the want of space (or inodes) once, whether it ran before or beside.
    static void ExpectReported(const CapturedRun &run, const std::string &log,
                               const std::string &cleanup, const std::string &failed) {
        const std::string said = log + run.err;
        EXPECT_EQ(CountOf(said, " for the new copy in '"), 1) << said;
        EXPECT_EQ(CountOf(said, cleanup), 1) << said;
        EXPECT_EQ(CountOf(log, "): Failed to " + failed + " package\n"), 1) << log;
        std::istringstream lines(log);
        for (std::string line; std::getline(lines, line);)
            EXPECT_TRUE(line.rfind("20", 0) == 0 && line.find(") [") != std::string::npos)
                << "a torn line in the log: " << line;
    }

    std::unique_ptr<TmpfsMount> mount;
};

struct Sizes {
    const char *name;
    int old_filler;  // files of 4 KiB in the old installation
    int new_filler;  // and in the new package
};

void PrintTo(const Sizes &sizes, std::ostream *out) {
    *out << sizes.name;
}

class DiskFullUpgradeTest : public DiskFullTest, public ::testing::WithParamInterface<Sizes> {};

TEST_P(DiskFullUpgradeTest, OldInstallationSurvivesIntactAndStarts) {
    MakePackage(kOldBuild, GetParam().old_filler);
    ASSERT_EQ(RunLauncher().status, 0);
    const auto old_tree = ListTree(fake().app_path());
    ASSERT_EQ(old_tree, PackageTree(fake().package_path())) << "the old build does not fit";
    ASSERT_TRUE(EndClient(box));
    MakePackage(kNewBuild, GetParam().new_filler);
    const TreeListing outside = Outside();
    const size_t log_before = box.Log().size();

    const CapturedRun run = RunLauncher();

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ListTree(fake().app_path()) == old_tree) << "the old installation changed";
    // The started client writes its pid file beside the tree; it is gone once the client ends.
    EXPECT_TRUE(EndClient(box)) << "the old client was not started";
    EXPECT_EQ(UserTreeNames(),
              (std::set<std::string>{"BrenthorLoxen.app", "BrenthorLoxen.app.installed",
                                     "launcher.lock", "log"}));
    EXPECT_EQ(Outside(), outside);
    ExpectReported(run, box.Log().substr(log_before),
                   "; leaving the client and its copy as they are\n", "upgrade");
    EXPECT_NE(run.err.find("the current version keeps running.\nThere is not enough disk space.\n"),
              std::string::npos)
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(Packages, DiskFullUpgradeTest,
                         ::testing::Values(Sizes{"MoreFilesThanTheDiskHolds", 0, 1000},
                                           Sizes{"RoomForOneCopyOnly", 300, 300}),
                         [](const ::testing::TestParamInfo<Sizes> &info) {
                             return std::string(info.param.name);
                         });

TEST_F(DiskFullTest, FirstInstallationThatDoesNotFitLeavesNoPartialTree) {
    MakePackage(kNewBuild, 1000);
    const TreeListing outside = Outside();

    const CapturedRun run = RunLauncher();

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(UserTreeNames(), (std::set<std::string>{"launcher.lock", "log"}));
    EXPECT_EQ(box.ClientPids(), std::vector<pid_t>{});
    EXPECT_EQ(Outside(), outside);
    ExpectReported(run, box.Log(),
                   "): Failed to extract package, and no old installation to rollback\n",
                   "install");
    EXPECT_EQ(CountOf(run.err + box.Log(), "leaving the client"), 0);
    EXPECT_NE(run.err.find("could not be installed.\nThere is not enough disk space.\n"),
              std::string::npos)
        << run.err;
}

// Every inode taken but those of the log and the lock: the update's first new file, its record,
// fails with ENOSPC, and the clean-up that follows must not turn that into a write refusal.
TEST_F(DiskFullTest, InodesRunningOutDuringTheUpdateAreToldAsWantOfSpace) {
    MakePackage(kNewBuild, 0);
    MakeDirs(fake().user_path() + "/log");
    WriteFile(fake().user_path() + "/log/launcher.log", "");
    WriteFile(fake().user_path() + "/launcher.lock", "");
    for (int n = 0;; ++n) {
        const std::string fill = fake().user_path() + "/fill-" + std::to_string(n);
        const int fd = ::open(fill.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            ASSERT_EQ(errno, ENOSPC) << fill;
            break;
        }
        ::close(fd);
    }

    const CapturedRun run = RunLauncher();

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("could not be installed.\nThere is not enough disk space.\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("cannot be written to"), std::string::npos) << run.err;
}

// A write that the disk refuses for another reason than space or permission (here a file larger
// than the run may make) after the package passed its check: the old copy comes back and starts,
// and the notice names the folder and the system's reason, not a damaged package.
class DiskRefusalTest : public ::testing::Test, protected FaultCase {};

TEST_F(DiskRefusalTest, WriteFailureAfterTheCheckIsToldWithTheFolderAndItsReason) {
    fake().InstallClient(kOldBuild);
    const TreeListing old_tree = ListTree(fake().app_path());
    const std::string big = scratch / "big-start-stop";
    WriteFile(big, "#!/bin/sh\n" + std::string(100000, '#') + "\n");
    box.MakePackage(kNewBuild, {"--start-stop", big});
    const std::string limited = scratch / "limited";
    WriteFile(limited, "#!/bin/sh\ntrap '' XFSZ\nulimit -f 64\nexec " + ShellQuote(box.launcher()));
    ASSERT_EQ(::chmod(limited.c_str(), 0755), 0);

    const CapturedRun run = scratch.Run(limited, scratch.Env(fake().home()));

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ListTree(fake().app_path()) == old_tree) << "the old installation changed";
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n") << "the old client was not started";
    EXPECT_NE(run.err.find("keeps running.\nThe folder " + fake().user_path() +
                           " cannot be written to. (" + std::strerror(EFBIG) + ")\n"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace loxtest
