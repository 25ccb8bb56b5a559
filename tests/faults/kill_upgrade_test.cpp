// A launcher SIGKILLed at each call that changes the disk in turn (disk_call_killer counts
// them), during an update, a first install and the recovery of an earlier kill. After each
// kill a normal run must leave the new copy whole, the client running, nothing beside the
// copy and nothing changed outside the per-user tree; a copy that was whole is not unpacked
// again. Then the replacement records a run may find, and what it makes of them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/tree_listing.h"

namespace loxtest {
namespace {

struct Sweep {
    const char *name;
    bool old_copy;      // an update, else a first install
    bool killed_first;  // the sweep kills the run after one that was killed mid-extraction
};

enum class Copy { None, Old, New };

struct RecordState {
    const char *name;
    const char *record;  // the record's text; nullptr for none
    bool stray_new;      // a half-written record beside it
    Copy app;            // in the application directory
    bool old_aside;      // the old copy under the first backup name
    bool left;           // the record and the backup stay for the user, who is told
    bool client;         // a client runs afterwards
};

std::ostream &operator<<(std::ostream &out, const Sweep &row) {
    return out << row.name;
}
std::ostream &operator<<(std::ostream &out, const RecordState &row) {
    return out << row.name;
}

template <typename Row>
class ReplacementRunTest : public ::testing::TestWithParam<Row>, protected FaultCase {
protected:
    std::string app() const { return fake().app_path(); }
    std::string marker() const { return app() + ".replacing"; }

    // The old copy comes from a real first run.
    void SetUp() override {
        box.MakePackage("120");
        ASSERT_EQ(RunLauncher().status, 0);
        ASSERT_TRUE(EndClient(box));
        std::filesystem::copy(app(), scratch / "old", std::filesystem::copy_options::recursive);
        box.MakePackage("121");
        new_tree = PackageTree(fake().package_path());
        outside = Outside();
    }

    void TearDown() override { EndClient(box, 0); }

    void Reset(bool old_copy) {
        EndClient(box, 0);
        std::filesystem::remove_all(fake().user_path());
        if (old_copy) {
            std::filesystem::create_directories(fake().user_path());
            std::filesystem::copy(scratch / "old", app(), std::filesystem::copy_options::recursive);
        }
    }

    // The exit status of a run killed at the n-th call that changes the disk, if it gets there.
    int RunKilledAt(long n) {
        ChildProcess::Environment env = scratch.Env(fake().home());
        env["LD_PRELOAD"] = DISK_CALL_KILLER_PATH;
        env["LOXEN_KILL_AT"] = std::to_string(n);
        return box.Spawn(env)->Wait();
    }

    bool RecordSays(const std::string &step) const {
        return PathExists(marker()) && ReadFile(marker()).find("step=" + step) != std::string::npos;
    }

    // The first kill that leaves a partly extracted copy under its record.
    long MidExtraction() {
        for (long n = 1; n < 10000; ++n) {
            Reset(true);
            if (RunKilledAt(n) != 128 + SIGKILL ||
                (RecordSays("extract") && PathExists(app() + "/bin")))
                return n;
        }
        return 0;
    }

    void ExpectRecovered() {
        const bool whole = RecordSays("cleanup") || (!PathExists(marker()) && PathExists(app()) &&
                                                     ListTree(app()) == new_tree);
        struct stat before = {};
        struct stat after = {};
        ::stat(app().c_str(), &before);
        const CapturedRun run = RunLauncher();
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ListTree(app()), new_tree);
        ::stat(app().c_str(), &after);
        if (whole) {
            EXPECT_EQ(after.st_ino, before.st_ino) << "a whole copy was unpacked again";
        }
        EXPECT_TRUE(EndClient(box)) << "no client was started";
        // The record of what was installed follows a whole copy: a kill may come before it.
        std::set<std::string> names = UserTreeNames();
        names.erase("BrenthorLoxen.app.installed");
        EXPECT_EQ(names, (std::set<std::string>{"BrenthorLoxen.app", "launcher.lock", "log"}));
        EXPECT_EQ(Outside(), outside);
    }

    TreeListing new_tree;
    TreeListing outside;
};

using KillUpgradeTest = ReplacementRunTest<Sweep>;

TEST_P(KillUpgradeTest, NextRunFinishesWhateverCallTheKillHit) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's runtime must be the first library loaded; a preloaded one ends the run.
    GTEST_SKIP() << "the disk-call killer cannot be preloaded into a sanitized launcher";
#endif
    const long earlier = GetParam().killed_first ? MidExtraction() : 0;
    ASSERT_FALSE(GetParam().killed_first && earlier == 0);
    long n = 1;
    for (;; ++n) {
        SCOPED_TRACE("killed at disk call " + std::to_string(n));
        Reset(GetParam().old_copy);
        if (earlier != 0) {
            ASSERT_EQ(RunKilledAt(earlier), 128 + SIGKILL);
        }
        const int status = RunKilledAt(n);
        if (status == 0)
            break;
        ASSERT_EQ(status, 128 + SIGKILL);
        ExpectRecovered();
        if (HasFailure())
            break;
    }
    std::cout << "[  sweep   ] " << GetParam().name << ": " << n - 1 << " kills\n";
}

INSTANTIATE_TEST_SUITE_P(Rows, KillUpgradeTest,
                         ::testing::Values(Sweep{"update", true, false},
                                           Sweep{"first install", false, false},
                                           Sweep{"recovery of an earlier kill", true, true}));

using RecordStateTest = ReplacementRunTest<RecordState>;

TEST_P(RecordStateTest, RecordIsFinishedOrLeftToTheUserWithEveryCopy) {
    const RecordState &row = GetParam();
    const std::string aside = app() + "_tmp";
    Reset(row.app != Copy::None);
    if (row.app == Copy::New) {
        ASSERT_EQ(RunLauncher().status, 0);
    }
    EndClient(box, 0);
    std::filesystem::create_directories(fake().user_path());
    if (row.old_aside)
        std::filesystem::copy(scratch / "old", aside, std::filesystem::copy_options::recursive);
    if (row.record != nullptr)
        WriteFile(marker(), row.record);
    if (row.stray_new)
        WriteFile(marker() + ".new", "step=backup\nbackup=0\n");
    struct stat before = {};
    struct stat after = {};
    ::stat(app().c_str(), &before);

    const CapturedRun run = RunLauncher();

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err.find("An interrupted update could not be completed.") != std::string::npos,
              row.left)
        << run.err;
    ::stat(app().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the copy in place was replaced";
    if (row.app != Copy::None) {
        EXPECT_EQ(ListTree(app()), row.app == Copy::New ? new_tree : ListTree(scratch / "old"));
    }
    EXPECT_EQ(PathExists(aside) && ListTree(aside) == ListTree(scratch / "old"), row.left);
    EXPECT_EQ(PathExists(marker()), row.left);
    EXPECT_FALSE(PathExists(marker() + ".new"));
    EXPECT_EQ(EndClient(box, row.client ? 10000 : 0), row.client);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RecordStateTest,
    ::testing::Values(
        RecordState{"garbage, copy aside", "\x01\x02garbage", false, Copy::None, true, true, false},
        RecordState{"garbage, copy in place", "step=", false, Copy::Old, true, true, true},
        RecordState{"complete, backups left", "step=cleanup\nbackup=0\n", false, Copy::New, true,
                    false, true},
        RecordState{"stray half-written", nullptr, true, Copy::New, false, false, true}));

}  // namespace
}  // namespace loxtest
