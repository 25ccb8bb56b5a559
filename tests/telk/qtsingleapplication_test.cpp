#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace {

using loxtest::ChildProcess;

// For a process started by one of ours but not our child.
struct KillOnExit {
    pid_t pid;
    ~KillOnExit() { ::kill(pid, SIGKILL); }
};

// Every launcher started here gets a home, a runtime directory and a temporary directory of
// the test's own, never the user's.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        runtime_ = tmp_ / "runtime";
        scratch_ = tmp_ / "scratch";
        home_ = tmp_ / "home";
        loxtest::MakeDirs(runtime_);
        loxtest::MakeDirs(scratch_);
        loxtest::MakeDirs(home_);
        ::chmod(runtime_.c_str(), 0700);
    }

    std::unique_ptr<ChildProcess> Start(const std::string &home, const std::string &mode = "hold") {
        return StartIn(home, runtime_, mode);
    }

    std::unique_ptr<ChildProcess> StartIn(const std::string &home, const std::string &runtime,
                                          const std::string &mode = "hold") {
        ChildProcess::Environment env{{"HOME", home},
                                      {"XDG_RUNTIME_DIR", runtime},
                                      {"TMPDIR", scratch_},
                                      {"QT_QPA_PLATFORM", std::string("offscreen")}};
        auto child =
            std::make_unique<ChildProcess>(INSTANCE_PROBE, std::vector<std::string>{mode}, env);
        EXPECT_TRUE(child->started());
        return child;
    }

    // Lets the launcher create its application object and returns what it saw.
    static std::string Answer(ChildProcess &child) {
        child.Write("go\n");
        return child.ReadLine();
    }

    loxtest::TempDir tmp_;
    std::string runtime_;
    std::string scratch_;
    std::string home_;
};

TEST_F(SingleInstanceTest, SecondLauncherOfTheSameHomeSeesTheFirst) {
    auto first = Start(home_);
    ASSERT_EQ(Answer(*first), "first");
    auto second = Start(home_);
    EXPECT_EQ(Answer(*second), "running");
    struct stat st;
    ASSERT_EQ(::lstat((home_ + "/.BrenthorLoxen/launcher.lock").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The claim ends with the first launcher.
    first->CloseInput();
    EXPECT_EQ(first->Wait(), 0);
    auto third = Start(home_);
    EXPECT_EQ(Answer(*third), "first");
}

TEST_F(SingleInstanceTest, ExactlyOneOfLaunchersStartedTogetherIsFirst) {
    constexpr int kRounds = 5;
    constexpr int kLaunchers = 3;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<ChildProcess>> launchers;
        for (int i = 0; i < kLaunchers; ++i) launchers.push_back(Start(home_));
        // All are loaded and waiting; release them at once.
        for (auto &launcher : launchers) launcher->Write("go\n");
        int firsts = 0;
        for (auto &launcher : launchers) {
            const std::string answer = launcher->ReadLine();
            EXPECT_TRUE(answer == "first" || answer == "running") << answer;
            firsts += answer == "first";
        }
        EXPECT_EQ(firsts, 1) << "round " << round;
        for (auto &launcher : launchers) launcher->CloseInput();
        for (auto &launcher : launchers) EXPECT_EQ(launcher->Wait(), 0);
    }
}

TEST_F(SingleInstanceTest, KilledLauncherDoesNotBlockTheNextStart) {
    auto crashed = Start(home_);
    ASSERT_EQ(Answer(*crashed), "first");
    crashed->Kill();
    EXPECT_EQ(crashed->Wait(), 128 + SIGKILL);

    auto next = Start(home_);
    EXPECT_EQ(Answer(*next), "first");
    auto after = Start(home_);
    EXPECT_EQ(Answer(*after), "running");
}

TEST_F(SingleInstanceTest, LaunchersOfDifferentHomesDoNotSeeEachOther) {
    const std::string other_home = tmp_ / "other-home";
    loxtest::MakeDirs(other_home);

    auto mine = Start(home_);
    ASSERT_EQ(Answer(*mine), "first");
    auto other = Start(other_home);
    EXPECT_EQ(Answer(*other), "first");
    auto mine_again = Start(home_);
    EXPECT_EQ(Answer(*mine_again), "running");
    auto other_again = Start(other_home);
    EXPECT_EQ(Answer(*other_again), "running");
}

TEST_F(SingleInstanceTest, HomeSpelledDifferentlyIsTheSameHome) {
    const std::string link = tmp_ / "home-link";
    ASSERT_EQ(::symlink(home_.c_str(), link.c_str()), 0);

    auto first = Start(home_);
    ASSERT_EQ(Answer(*first), "first");
    auto trailing_slash = Start(home_ + "/");
    EXPECT_EQ(Answer(*trailing_slash), "running");
    auto through_link = Start(link);
    EXPECT_EQ(Answer(*through_link), "running");
}

// The launcher starts the per-user client, which keeps running; it must not keep the claim.
TEST_F(SingleInstanceTest, ProgramStartedByTheLauncherDoesNotInheritTheClaim) {
    auto launcher = Start(home_, "spawn");
    ASSERT_EQ(Answer(*launcher), "first");
    const pid_t sleeper = static_cast<pid_t>(std::stol("0" + launcher->ReadLine()));
    ASSERT_GT(sleeper, 0);
    KillOnExit stop_sleeper{sleeper};
    EXPECT_EQ(launcher->Wait(), 0);

    auto next = Start(home_);
    EXPECT_EQ(Answer(*next), "first");
}

// Where the home cannot hold the lock, runtime directories that another user owns (the given
// one, and the one Qt falls back to) are not trusted with it; a private folder in the temporary
// directory takes their place.
TEST_F(SingleInstanceTest, ForeignRuntimeDirectoriesAreNotUsed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give directories to another user";
    loxtest::WriteFile(home_ + "/.BrenthorLoxen", "not a folder");
    const std::string foreign = tmp_ / "foreign-runtime";
    const std::string planted = scratch_ + "/runtime-" + ::getpwuid(::geteuid())->pw_name;
    for (const std::string &dir : {foreign, planted}) {
        loxtest::MakeDirs(dir);
        ASSERT_EQ(::chmod(dir.c_str(), 0700), 0);
        ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
    }

    auto first = StartIn(home_, foreign);
    ASSERT_EQ(Answer(*first), "first");
    auto second = StartIn(home_, foreign);
    EXPECT_EQ(Answer(*second), "running");

    EXPECT_TRUE(std::filesystem::is_empty(foreign));
    EXPECT_TRUE(std::filesystem::is_empty(planted));
    struct stat st;
    const std::string fallback = scratch_ + "/loxen-runtime-" + std::to_string(::geteuid());
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(std::filesystem::is_empty(fallback));
}

}  // namespace
