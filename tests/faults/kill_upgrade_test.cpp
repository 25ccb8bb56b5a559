// A launcher killed with SIGKILL at many moments of an upgrade. Each moment kills a real
// launcher, reads from the frozen per-user tree which phase of the replacement it hit, then
// runs the launcher normally: the new installation must be complete, nothing of the
// replacement may be left, the client must start, the log must say that an interrupted
// replacement was finished, and nothing outside the per-user tree may change.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/tree_listing.h"

namespace loxtest {
namespace {

using Clock = std::chrono::steady_clock;
using Tree = std::map<std::string, std::string>;

// Enough files that extraction and clean-up take a visible share of a run, few enough that
// one run stays well under a second on a disk.
constexpr int kFillerFiles = 100;
constexpr int kTimedMoments = 14;
const char kOldBuild[] = "120";
const char kNewBuild[] = "121";

enum class Phase { Before, Backup, Extraction, Extracted, CleanUp, After, Mixed };

const char *PhaseName(Phase phase) {
    switch (phase) {
        case Phase::Before:
            return "before";
        case Phase::Backup:
            return "backup";
        case Phase::Extraction:
            return "extraction";
        case Phase::Extracted:
            return "extracted";
        case Phase::CleanUp:
            return "clean-up";
        case Phase::After:
            return "after";
        case Phase::Mixed:
            return "MIXED";
    }
    return "?";
}

struct Moment {
    std::string name;
    std::function<bool()> reached;  // polled while the launcher runs
    Clock::duration delay;          // from then on to the kill
};

// The first few paths where two trees differ; empty when they are equal. Trees of a few
// hundred files are too big for the framework's own printout.
std::string Differences(const Tree &expected, const Tree &actual) {
    std::ostringstream out;
    int shown = 0;
    auto note = [&](const std::string &path, const char *what) {
        if (shown++ < 5)
            out << path << " " << what << "; ";
    };
    for (const auto &entry : expected) {
        auto found = actual.find(entry.first);
        if (found == actual.end())
            note(entry.first, "missing");
        else if (found->second != entry.second)
            note(entry.first, "differs");
    }
    for (const auto &entry : actual)
        if (expected.count(entry.first) == 0)
            note(entry.first, "extra");
    if (shown > 5)
        out << "and " << shown - 5 << " more";
    return out.str();
}

class KillUpgradeTest : public ::testing::Test, protected FaultCase {
protected:
    std::string app() const { return fake().app_path(); }
    std::string marker() const { return app() + ".replacing"; }
    std::string backup() const { return app() + "_tmp"; }

    // The old installation comes from a real first run; the new package replaces it.
    void SetUp() override {
        fake().WriteLevelFile("launcher_debug=7\nservice_debug=7\n");
        box.MakePackage(kOldBuild, {"--filler", std::to_string(kFillerFiles)});
        ASSERT_EQ(RunLauncher().status, 0);
        ASSERT_TRUE(EndClient(box)) << "the first run started no client";
        old_tree = ListTree(app());
        ASSERT_EQ(Differences(PackageTree(fake().package_path()), old_tree), "");
        std::filesystem::copy(app(), pristine(), std::filesystem::copy_options::recursive);

        box.MakePackage(kNewBuild, {"--filler", std::to_string(kFillerFiles)});
        new_tree = PackageTree(fake().package_path());
        ASSERT_NE(Differences(old_tree, new_tree), "");
        outside = Outside();
    }

    void TearDown() override { EndClient(box, 0); }

    std::string pristine() const { return scratch / "old-installation"; }

    // A per-user tree that holds only the old installation, as before any upgrade.
    void ResetToOldInstallation() {
        EndClient(box, 0);
        std::filesystem::remove_all(fake().user_path());
        std::filesystem::create_directories(fake().user_path());
        std::filesystem::copy(pristine(), app(), std::filesystem::copy_options::recursive);
        ASSERT_EQ(Differences(old_tree, ListTree(app())), "");
    }

    // The step the replacement record names; empty without one. The launcher may remove
    // the record at any moment, so a missing file is no failure here.
    std::string MarkerStep() const {
        std::ifstream in(marker());
        std::ostringstream text;
        text << in.rdbuf();
        const std::string record = text.str();
        const size_t at = record.find("step=");
        return at == std::string::npos ? "" : record.substr(at + 5, record.find('\n', at) - at - 5);
    }

    bool TreeIs(const Tree &expected) const {
        return PathExists(app()) && ListTree(app()) == expected;
    }

    // What the frozen per-user tree shows. Without a replacement record the application
    // directory must hold the old installation or the new one, whole.
    Phase Classify() const {
        if (!PathExists(marker())) {
            if (PathExists(marker() + ".new"))
                return Phase::Backup;  // the first record was being written
            if (PathExists(backup()))
                return Phase::Mixed;
            if (TreeIs(old_tree))
                return Phase::Before;
            return TreeIs(new_tree) ? Phase::After : Phase::Mixed;
        }
        const std::string step = MarkerStep();
        if (step == "backup")
            return Phase::Backup;
        if (step == "extract")
            return TreeIs(new_tree) ? Phase::Extracted : Phase::Extraction;
        return step == "cleanup" ? Phase::CleanUp : Phase::Mixed;
    }

    // Starts a launcher, waits until the moment is reached, kills it after the moment's delay.
    // False when the launcher ended before it could be killed.
    bool KillAt(const Moment &moment) {
        std::unique_ptr<ChildProcess> launcher = box.Spawn(scratch.Env(fake().home()));
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (!moment.reached() && IsAlive(launcher->pid()) && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        std::this_thread::sleep_for(moment.delay);
        launcher->Kill();
        return launcher->Wait() == 128 + SIGKILL;
    }

    // The time from the first replacement record to its removal in an undisturbed upgrade,
    // which must itself give the new installation.
    Clock::duration MeasureReplacement() {
        ResetToOldInstallation();
        std::unique_ptr<ChildProcess> launcher = box.Spawn(scratch.Env(fake().home()));
        WaitFor([&] { return PathExists(marker()) || !IsAlive(launcher->pid()); }, 60000);
        const auto begun = Clock::now();
        WaitFor([&] { return !PathExists(marker()) || !IsAlive(launcher->pid()); }, 60000);
        const auto took = Clock::now() - begun;
        EXPECT_EQ(launcher->Wait(), 0);
        EXPECT_EQ(Differences(new_tree, ListTree(app())), "");
        EXPECT_TRUE(EndClient(box));
        return took;
    }

    std::vector<Moment> Moments(Clock::duration replacement) {
        const std::string filler = app() + "/share/filler";
        const std::string old_filler = backup() + "/share/filler";
        std::vector<Moment> moments = {
            {"start-up", [] { return true; }, {}},
            {"record written",
             [=] { return PathExists(marker()) || PathExists(marker() + ".new"); },
             {}},
            {"backup renamed", [=] { return PathExists(backup()); }, {}},
            {"extraction begun", [=] { return PathExists(backup()) && PathExists(app()); }, {}},
            {"client executable written",
             [=] { return PathExists(backup()) && PathExists(app() + "/bin/cloud-loxen-ui"); },
             {}},
            {"half the files written",
             [=] {
                 return PathExists(backup()) &&
                        static_cast<int>(NamesIn(filler).size()) >= kFillerFiles / 2;
             },
             {}},
            {"all files written",
             [=] {
                 return PathExists(backup()) &&
                        static_cast<int>(NamesIn(filler).size()) == kFillerFiles;
             },
             {}},
            {"clean-up recorded", [=] { return MarkerStep() == "cleanup"; }, {}},
            {"half the backup removed",
             [=] {
                 return MarkerStep() == "cleanup" &&
                        static_cast<int>(NamesIn(old_filler).size()) <= kFillerFiles / 2;
             },
             {}},
            {"record removed",
             [=, seen = std::make_shared<bool>(false)] {
                 *seen = *seen || PathExists(marker());
                 return *seen && !PathExists(marker());
             },
             {}},
            {"client started", [=] { return PathExists(fake().pid_file()); }, {}},
        };
        // The rest spread evenly over the replacement, counted from its first record.
        for (int i = 0; i < kTimedMoments; ++i) {
            const auto delay = replacement * (2 * i + 1) / (2 * kTimedMoments);
            const auto ms = std::chrono::duration<double, std::milli>(delay).count();
            char name[64];
            std::snprintf(name, sizeof name, "%.1f ms into the replacement", ms);
            moments.push_back({name, [=] { return PathExists(marker()); }, delay});
        }
        return moments;
    }

    // The run after the kill: new installation, nothing left over, client up, log explains.
    void ExpectRecovered(bool record_found, Phase phase) {
        const size_t log_before = box.Log().size();
        struct stat before {};
        ::stat(app().c_str(), &before);
        const CapturedRun run = RunLauncher();
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Differences(new_tree, ListTree(app())), "");
        struct stat after {};
        ::stat(app().c_str(), &after);
        if (phase == Phase::After) {
            EXPECT_EQ(after.st_ino, before.st_ino)
                << "the complete installation was unpacked again";
        }
        EXPECT_TRUE(EndClient(box)) << "no client was started";
        EXPECT_EQ(UserTreeNames(),
                  (std::set<std::string>{"BrenthorLoxen.app", "launcher.lock", "log"}));
        EXPECT_EQ(Outside(), outside);

        const std::string log = box.Log().substr(log_before);
        EXPECT_EQ(CountOf(log, "finishing interrupted replacement of '" + app() + "'"),
                  record_found ? 1 : 0)
            << log;
    }

    Tree old_tree;
    Tree new_tree;
    TreeListing outside;
};

TEST_F(KillUpgradeTest, EveryKilledUpgradeIsFinishedByTheNextRun) {
    const Clock::duration replacement = MeasureReplacement();
    ASSERT_FALSE(HasFailure());

    const std::vector<Moment> moments = Moments(replacement);
    std::map<Phase, int> hits;
    int killed = 0;
    for (const Moment &moment : moments) {
        SCOPED_TRACE(moment.name);
        ResetToOldInstallation();
        ASSERT_FALSE(HasFatalFailure());
        killed += KillAt(moment) ? 1 : 0;
        const bool record_found = PathExists(marker());
        const Phase phase = Classify();
        ++hits[phase];
        std::cout << "[   kill   ] " << moment.name << ": " << PhaseName(phase) << "\n";
        EXPECT_NE(phase, Phase::Mixed) << "a mixed installation without a replacement record";
        ExpectRecovered(record_found, phase);
    }

    std::ostringstream summary;
    summary << "[ summary  ] " << moments.size() << " kill moments, " << killed
            << " killed mid-run, replacement "
            << std::chrono::duration_cast<std::chrono::milliseconds>(replacement).count() << " ms;";
    for (const auto &hit : hits) summary << " " << PhaseName(hit.first) << " " << hit.second;
    std::cout << summary.str() << std::endl;
}

}  // namespace
}  // namespace loxtest
