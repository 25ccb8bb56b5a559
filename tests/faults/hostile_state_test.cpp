// Odd and hostile state that a run of the real launcher finds: pid files, the per-user tree,
// the home, the backup names and the log. Every run ends with status 0, leaves the old
// installation or the new one whole (or none where there was none), changes nothing outside
// the per-user tree and says what happened, in the log or on standard error.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/tree_listing.h"

namespace loxtest {
namespace {

const char kOldBuild[] = "120";
const char kNewBuild[] = "121";
const char kUpgradeFailed[] = "[ERROR] launcher(";
const char kUpgradeFailedText[] = "Failed to upgrade package";
const char kInstallFailedText[] = "Failed to install package";

class HostileStateTest : public ::testing::Test, protected FaultCase {
protected:
    // The package of the new build; the tree it unpacks to is what a new installation holds.
    void MakeNewPackage() {
        box.MakePackage(kNewBuild);
        new_tree = PackageTree(fake().package_path());
    }

    void ExpectNewInstallation(const std::string &app_path) const {
        EXPECT_EQ(ListTree(app_path), new_tree) << "not the package's tree in " << app_path;
    }

    void ExpectRanToTheEnd(const CapturedRun &run) const {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "lib path = '" + fake().root() + "/lib/plugins'\n");
    }

    // With no log directory the errors go to standard error.
    static void ExpectFailureOnStandardError(const CapturedRun &run, const char *failed) {
        const size_t at = run.err.find(kUpgradeFailed);
        ASSERT_NE(at, std::string::npos) << run.err;
        EXPECT_NE(run.err.find(failed, at), std::string::npos) << run.err;
    }

    void SkipUnlessNobodyCanRun() const {
        if (!FaultScratch::CanRunAs(RunUser::Nobody))
            GTEST_SKIP() << "root ignores permission bits and there is no user 'nobody' to "
                            "drop to";
    }

    TreeListing new_tree;
};

// ---- pid files ---------------------------------------------------------------------------

TEST_F(HostileStateTest, PidFileNamingAForeignProcessLeavesItRunning) {
    box.SetAllLevels(7);
    MakeNewPackage();
    fake().InstallClient(kOldBuild);
    ChildProcess foreign("/bin/sleep", {"300"}, {});
    ASSERT_TRUE(foreign.started());
    WriteFile(fake().pid_file(), "pid=" + std::to_string(foreign.pid()) + "\n");
    const TreeListing outside = Outside();

    CapturedRun run = RunLauncher();

    ExpectRanToTheEnd(run);
    EXPECT_TRUE(IsAlive(foreign.pid())) << "a process that is not the client was ended";
    ExpectNewInstallation(fake().app_path());
    EXPECT_EQ(Outside(), outside);
    EXPECT_EQ(CountOf(box.Log(), "process " + std::to_string(foreign.pid()) + " of pid file '" +
                                     fake().pid_file() + "' is not the client, not terminating it"),
              1)
        << box.Log();
    // The sample start script takes the live foreign process for its client and starts none.
    EndClient(box, 1000);
}

struct PidFileCase {
    const char *name;
    const char *content;  // nullptr: the pid file is a directory
    const char *logged;   // what the log says about it
    RunUser user;         // values that kill() would read as "a group" or "everyone"
};

class PidFileTest : public HostileStateTest, public ::testing::WithParamInterface<PidFileCase> {};

TEST_P(PidFileTest, NamesNoProcessAndTheUpgradeGoesOn) {
    const PidFileCase &pid_case = GetParam();
    if (pid_case.user == RunUser::Nobody)
        SkipUnlessNobodyCanRun();
    box.SetAllLevels(7);
    MakeNewPackage();
    fake().InstallClient(kOldBuild);
    if (pid_case.content != nullptr)
        WriteFile(fake().pid_file(), pid_case.content);
    else
        MakeDirs(fake().pid_file());
    if (pid_case.user == RunUser::Nobody)
        HandToNobody(fake().base(), fake().home());
    const TreeListing outside = Outside();

    CapturedRun run = RunLauncher(pid_case.user);

    ExpectRanToTheEnd(run);
    ExpectNewInstallation(fake().app_path());
    EXPECT_EQ(Outside(), outside);
    EXPECT_EQ(CountOf(box.Log(), pid_case.logged), 1) << box.Log();
    EXPECT_TRUE(EndClient(box)) << "the new client did not start";
}

INSTANTIATE_TEST_SUITE_P(
    HostileValues, PidFileTest,
    ::testing::Values(
        PidFileCase{"Zero", "pid=0\n", "names no process ('0')", RunUser::Nobody},
        PidFileCase{"MinusOne", "pid=-1\n", "names no process ('-1')", RunUser::Nobody},
        PidFileCase{"Text", "pid=client\n", "names no process ('client')", RunUser::Current},
        PidFileCase{"Empty", "pid=\n", "Failed to read pid file", RunUser::Current},
        PidFileCase{"NoPidKey", "ppid=42\n", "names no process ('')", RunUser::Current},
        PidFileCase{"BeyondAnyPid", "pid=99999999999999999999\n",
                    "names no process ('99999999999999999999')", RunUser::Current},
        PidFileCase{"NotKeyValue", "\x01\x02 garbage\xff\n", "Failed to read pid file",
                    RunUser::Current},
        PidFileCase{"Directory", nullptr, "Failed to read pid file", RunUser::Current}),
    [](const ::testing::TestParamInfo<PidFileCase> &info) { return info.param.name; });

// ---- the per-user tree -------------------------------------------------------------------

TEST_F(HostileStateTest, PerUserTreeThatIsAFileIsLeftAlone) {
    MakeNewPackage();
    WriteFile(fake().user_path(), "a file where the per-user tree belongs\n");
    const TreeListing everything = ListTree(fake().base(), {});

    CapturedRun run = RunLauncher();

    ExpectRanToTheEnd(run);
    EXPECT_EQ(ListTree(fake().base(), {}), everything);
    ExpectFailureOnStandardError(run, kInstallFailedText);
}

TEST_F(HostileStateTest, PerUserTreeThatIsADanglingLinkCreatesNothingAtItsTarget) {
    MakeNewPackage();
    const std::string elsewhere = fake().base() + "/elsewhere";
    MakeDirs(elsewhere);
    ASSERT_EQ(::symlink((elsewhere + "/missing").c_str(), fake().user_path().c_str()), 0);
    const TreeListing everything = ListTree(fake().base(), {});

    CapturedRun run = RunLauncher();

    ExpectRanToTheEnd(run);
    EXPECT_EQ(ListTree(fake().base(), {}), everything);
    EXPECT_FALSE(PathExists(elsewhere + "/missing"));
    ExpectFailureOnStandardError(run, kInstallFailedText);
}

// A stale replacement record left as a link must not make the launcher write through it.
TEST_F(HostileStateTest, StaleRecordLinkOutOfTheTreeIsNotWrittenThrough) {
    MakeNewPackage();
    fake().InstallClient(kOldBuild);
    const std::string victim = fake().base() + "/victim.txt";
    WriteFile(victim, "a file of the user's outside the per-user tree\n");
    const std::string stale = fake().app_path() + ".replacing.new";
    ASSERT_EQ(::symlink(victim.c_str(), stale.c_str()), 0);
    const TreeListing outside = Outside();

    CapturedRun run = RunLauncher();

    ExpectRanToTheEnd(run);
    EXPECT_EQ(Outside(), outside);
    EXPECT_EQ(ReadFile(victim), "a file of the user's outside the per-user tree\n");
    ExpectNewInstallation(fake().app_path());
    EXPECT_TRUE(EndClient(box)) << "the new client did not start";
}

// ---- the home ------------------------------------------------------------------------------

TEST_F(HostileStateTest, ReadOnlyHomeWithoutPerUserTreeRunsOnAndReportsOnStandardError) {
    SkipUnlessNobodyCanRun();
    MakeNewPackage();
    HandToNobody(fake().base(), fake().home());
    ASSERT_EQ(::chmod(fake().home().c_str(), 0555), 0);
    const TreeListing everything = ListTree(fake().base(), {});

    CapturedRun run = RunLauncher(RunUser::Nobody);

    ExpectRanToTheEnd(run);
    EXPECT_FALSE(PathExists(fake().user_path()));
    EXPECT_EQ(ListTree(fake().base(), {}), everything);
    ExpectFailureOnStandardError(run, kInstallFailedText);
}

TEST_F(HostileStateTest, ReadOnlyHomeAndPerUserTreeKeepTheOldInstallation) {
    SkipUnlessNobodyCanRun();
    MakeNewPackage();
    fake().InstallClient(kOldBuild);
    HandToNobody(fake().base(), fake().home());
    ASSERT_EQ(RunShell("chmod -R a-w " + ShellQuote(fake().home())), 0);
    const TreeListing everything = ListTree(fake().base(), {});

    CapturedRun run = RunLauncher(RunUser::Nobody);

    ExpectRanToTheEnd(run);
    EXPECT_EQ(ListTree(fake().base(), {}), everything) << "the old installation changed";
    EXPECT_FALSE(PathExists(fake().user_path() + "/log"));
    ExpectFailureOnStandardError(run, kUpgradeFailedText);
}

class OddHomeTest : public HostileStateTest, public ::testing::WithParamInterface<const char *> {
protected:
    // Clients of a failed check must not outlive the test either.
    void TearDown() override { EndClient(user_path, 0); }

    // The locale the launcher runs in: the names below must work in plain C too.
    ChildProcess::Environment EnvFor(const std::string &home) const {
        ChildProcess::Environment env = scratch.Env(home);
        env["LC_ALL"] = GetParam();
        env["LANG"] = std::nullopt;
        env["LANGUAGE"] = std::nullopt;
        return env;
    }

    std::string user_path;
};

TEST_P(OddHomeTest, HomeWithSpacesAndNonAsciiCharactersIsUpgradedInPlace) {
    box.SetAllLevels(7);
    const std::string home = fake().base() + "/Ann Lee \xC3\x9Cn\xC3\xAF \xE6\x97\xA5\xE6\x9C\xAC";
    user_path = home + "/.BrenthorLoxen";
    MakeDirs(home);
    box.MakePackage(kOldBuild);
    const TreeListing before_install = Outside(home);
    CapturedRun install = scratch.Run(box.launcher(), EnvFor(home));
    ExpectRanToTheEnd(install);
    EXPECT_EQ(Outside(home), before_install);
    pid_t old_client = 0;
    ASSERT_TRUE(WaitFor([&] { return (old_client = ClientNamedBy(user_path)) != 0; }))
        << "the first client did not start";
    MakeNewPackage();
    const TreeListing before_upgrade = Outside(home);

    CapturedRun upgrade = scratch.Run(box.launcher(), EnvFor(home));

    ExpectRanToTheEnd(upgrade);
    EXPECT_EQ(Outside(home), before_upgrade);
    ExpectNewInstallation(user_path + "/BrenthorLoxen.app");
    EXPECT_FALSE(IsAlive(old_client)) << "the old client was not stopped";
    const std::string log = ReadFile(user_path + "/log/launcher.log");
    EXPECT_EQ(CountOf(log, ">>> user_nimbrel_path = " + home + "/.Nimbrel\n"), 2) << log;
    EXPECT_TRUE(EndClient(user_path)) << "the new client did not start";
}

INSTANTIATE_TEST_SUITE_P(Locales, OddHomeTest, ::testing::Values("C", "C.UTF-8"),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param) == "C" ? "C" : "CUtf8";
                         });

// A home name in an older single-byte encoding has no exact Unicode form; a lossy one would
// name another directory beside the home.
TEST_F(HostileStateTest, HomeNameThatIsNotUtf8IsNeverTranslatedIntoAnotherDirectory) {
    MakeNewPackage();
    const std::string home = fake().base() + "/caf\xE9";
    MakeDirs(home);
    const TreeListing outside = Outside(home);

    CapturedRun run = scratch.Run(box.launcher(), scratch.Env(home));

    ExpectRanToTheEnd(run);
    EXPECT_EQ(Outside(home), outside);
    const std::string app_path = home + "/.BrenthorLoxen/BrenthorLoxen.app";
    if (PathExists(app_path)) {
        ExpectNewInstallation(app_path);
        EndClient(home + "/.BrenthorLoxen");
    } else {
        EXPECT_NE(run.err.find("[ERROR]"), std::string::npos) << "no word of what happened";
    }
}

// ---- backup names ------------------------------------------------------------------------

class BlockedBackupTest : public HostileStateTest {
protected:
    void SetUp() override {
        box.SetAllLevels(7);
        MakeNewPackage();
        fake().InstallClient(kOldBuild);
        outside_dir = fake().base() + "/outside";
        MakeDirs(outside_dir);
        WriteFile(outside_dir + "/precious.txt", "not the launcher's to remove\n");
    }

    std::string Backup(int n) const {
        return fake().app_path() + "_tmp" + (n == 0 ? std::string() : std::to_string(n));
    }

    // Names 0 to last, each blocked a different way: a full directory, a file, a link to a
    // directory outside the tree, a dangling link, then full directories.
    void Block(int last) const {
        for (int n = 0; n <= last; ++n) {
            const std::string name = Backup(n);
            if (n == 1) {
                WriteFile(name, "a file\n");
            } else if (n == 2) {
                ASSERT_EQ(::symlink(outside_dir.c_str(), name.c_str()), 0);
            } else if (n == 3) {
                ASSERT_EQ(::symlink((fake().base() + "/nowhere").c_str(), name.c_str()), 0);
            } else {
                MakeDirs(name);
                WriteFile(name + "/kept.txt", "backup " + std::to_string(n) + "\n");
            }
        }
    }

    // The per-user tree without what a run adds anyway: its lock, its log and the start record.
    std::map<std::string, std::string> UserTree() const {
        auto tree = ListTree(fake().user_path());
        tree.erase("launcher.lock");
        tree.erase("log");
        tree.erase("log/launcher.log");
        tree.erase("start-stop.log");
        return tree;
    }

    std::string outside_dir;
};

// Names that are stale backups are cleared before use, so ten names stay blocked only for a
// user who cannot clear them: the one who runs the launcher, with another user's files there.
TEST_F(BlockedBackupTest, TenNamesThatCannotBeClearedKeepTheOldInstallationWhole) {
    SkipUnlessNobodyCanRun();
    HandToNobody(fake().base(), fake().home());
    for (int n = 0; n <= 9; ++n) {
        MakeDirs(Backup(n) + "/theirs");
        WriteFile(Backup(n) + "/theirs/kept.txt", "backup " + std::to_string(n) + "\n");
    }
    const auto user_tree = UserTree();
    const TreeListing outside = Outside();

    CapturedRun run = RunLauncher(RunUser::Nobody);

    ExpectRanToTheEnd(run);
    EXPECT_EQ(UserTree(), user_tree) << "the old installation or a blocked name changed";
    EXPECT_EQ(Outside(), outside);
    EXPECT_EQ(CountOf(box.Log(), "failed to backup app from '" + fake().app_path() + "' -> '" +
                                     Backup(9) + "' at max retries, exiting"),
              1)
        << box.Log();
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n") << "the old client was not started";
}

TEST_F(BlockedBackupTest, StaleNamesOfEveryKindAreClearedAndNoLinkIsFollowed) {
    Block(8);
    const TreeListing outside = Outside();

    CapturedRun run = RunLauncher();

    ExpectRanToTheEnd(run);
    ExpectNewInstallation(fake().app_path());
    for (int n = 0; n <= 9; ++n) EXPECT_FALSE(PathExists(Backup(n))) << Backup(n);
    EXPECT_EQ(Outside(), outside) << "something outside the tree was removed through a link";
    EXPECT_TRUE(EndClient(box)) << "the new client did not start";
}

// ---- the log -------------------------------------------------------------------------------

TEST_F(HostileStateTest, LogFileAlreadyOverFiveMiBIsRotatedAfterTheFirstLine) {
    box.SetAllLevels(7);
    MakeNewPackage();
    const std::string log_dir = fake().user_path() + "/log";
    MakeDirs(log_dir);
    std::string old_log;
    for (int n = 0; old_log.size() <= 6 * 1024 * 1024; ++n)
        old_log += "2026-01-01T00:00:00 (    1:    1) [INFO] main(1): old line " +
                   std::to_string(n) + "\n";
    WriteFile(log_dir + "/launcher.log", old_log);
    const TreeListing outside = Outside();

    CapturedRun run = RunLauncher();

    ExpectRanToTheEnd(run);
    ExpectNewInstallation(fake().app_path());
    EXPECT_EQ(Outside(), outside);
    EXPECT_EQ(NamesIn(log_dir), (std::set<std::string>{"launcher.log", "launcher.log_0"}));
    const std::string rotated = ReadFile(log_dir + "/launcher.log_0");
    ASSERT_EQ(rotated.compare(0, old_log.size(), old_log), 0) << "the old lines changed";
    const std::string first_line = rotated.substr(old_log.size());
    EXPECT_NE(first_line.find(">>> user_nimbrel_path = "), std::string::npos) << first_line;
    EXPECT_EQ(CountOf(first_line, "\n"), 1) << "more than the crossing line was rotated";
    const std::string live = box.Log();
    EXPECT_EQ(CountOf(live, "old line"), 0);
    EXPECT_EQ(CountOf(live, "): running\n"), 1) << live;
    EXPECT_EQ(CountOf(live, "): done\n"), 1) << live;
    EXPECT_TRUE(EndClient(box)) << "the new client did not start";
}

}  // namespace
}  // namespace loxtest
