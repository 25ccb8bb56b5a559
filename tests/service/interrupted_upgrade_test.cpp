// A launcher killed in the middle of a replacement: the next run must finish it. Each case
// runs the service in a real child process (replace_child), SIGKILLs it at one moment of
// the replacement, and then runs it again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "tests/service/service_test_env.h"

namespace {

using loxtest::FakeInstall;
using loxtest::ListTree;
using loxtest::MakeDirs;
using loxtest::PathExists;

// Runs the child until it stops or ends; a stopped child is killed with SIGKILL.
// Returns the child's first line of output.
std::string RunChild(const svctest::ServiceEnv &env, const std::string &stop) {
    int out[2];
    if (::pipe(out) != 0)
        return "pipe failed";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execl(REPLACE_CHILD_PATH, REPLACE_CHILD_PATH, env.fake.home().c_str(),
                env.fake.root().c_str(), env.fake.base().c_str(), stop.c_str(),
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    bool stopped = line.compare(0, 8, "stopped ") == 0;
    if (stopped)
        ::kill(pid, SIGKILL);
    ::close(out[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (stopped)
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    else
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << line;
    return line;
}

int StartCount(const svctest::ServiceEnv &env) {
    if (!PathExists(env.fake.start_log()))
        return 0;
    std::string log = loxtest::ReadFile(env.fake.start_log());
    return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
}

struct Interruption {
    const char *stop;
    bool old_installation;
    bool complete;  // the new copy was whole: the next run starts it without unpacking again
    int starts;     // of the client before the kill
};

std::ostream &operator<<(std::ostream &out, const Interruption &i) {
    return out << i.stop << (i.old_installation ? " over an old installation" : " first install");
}

class InterruptedUpgradeTest : public ::testing::TestWithParam<Interruption> {
protected:
    void SetUp() override {
        env.fake.WritePackage("121");
        if (!GetParam().old_installation)
            return;
        env.fake.InstallClient("120");
        // Stale names, one in the way of this run's backup and one above it.
        MakeDirs(env.Backup(0) + "/stale");
        MakeDirs(env.Backup(5) + "/stale");
    }

    svctest::ServiceEnv env;
};

TEST_P(InterruptedUpgradeTest, NextRunFinishesTheReplacementAndLaterRunsLeaveItAlone) {
    std::string stop = GetParam().stop;
    ASSERT_EQ(RunChild(env, stop), "stopped " + stop.substr(0, stop.find('#')));
    ASSERT_TRUE(PathExists(env.Marker()));
    const int starts = GetParam().starts;
    EXPECT_EQ(StartCount(env), starts);

    EXPECT_EQ(RunChild(env, "none"), GetParam().complete ? "need=0 rc=-2" : "need=1 rc=0");
    EXPECT_EQ(ListTree(env.fake.app_path()), FakeInstall::ClientTree("121"));
    EXPECT_FALSE(PathExists(env.Marker()));
    EXPECT_FALSE(PathExists(env.Backup(0)));
    EXPECT_FALSE(PathExists(env.Backup(1)));
    EXPECT_FALSE(PathExists(env.Backup(5)));
    EXPECT_EQ(StartCount(env), starts + 1);

    EXPECT_EQ(RunChild(env, "none"), "need=0 rc=-2");
    EXPECT_EQ(StartCount(env), starts + 2);
}

INSTANTIATE_TEST_SUITE_P(Moments, InterruptedUpgradeTest,
                         ::testing::Values(Interruption{"backup-renamed", true, false, 0},
                                           Interruption{"extracting", true, false, 0},
                                           Interruption{"extracted", true, false, 0},
                                           Interruption{"cleanup-recorded", true, true, 0},
                                           Interruption{"backup-removed#1", true, true, 1},
                                           Interruption{"extracting", false, false, 0},
                                           Interruption{"cleanup-recorded", false, true, 0}));

class FailedRecoveryTest : public ::testing::Test {
protected:
    void SetUp() override { env.fake.WritePackage("121"); }

    void BreakPackage() {
        std::string package = loxtest::ReadFile(env.fake.package_path());
        loxtest::WriteFile(env.fake.package_path(), package.substr(0, package.size() / 2));
    }

    svctest::ServiceEnv env;
};

// The old installation that the killed run had moved aside comes back unchanged and starts,
// whether the next replacement fails on a damaged package or on an extractor it cannot load.
TEST_F(FailedRecoveryTest, OldInstallationComesBackWhenTheNextReplacementFailsToo) {
    const std::string module = env.fake.extractor_module();
    for (const bool without_extractor : {false, true}) {
        for (const char *stop : {"backup-renamed", "extracting"}) {
            SCOPED_TRACE(std::string(stop) + (without_extractor ? ", no extractor" : ""));
            env.fake.WritePackage("121");
            env.fake.InstallClient("120");
            auto before = ListTree(env.fake.app_path());
            ASSERT_EQ(RunChild(env, stop), std::string("stopped ") + stop);
            if (without_extractor)
                std::filesystem::rename(module, module + ".aside");
            else
                BreakPackage();
            const int starts = StartCount(env);
            EXPECT_EQ(RunChild(env, "none"), "need=1 rc=-1");
            EXPECT_EQ(ListTree(env.fake.app_path()), before);
            EXPECT_FALSE(PathExists(env.Marker()));
            EXPECT_FALSE(PathExists(env.Backup(0)));
            EXPECT_EQ(StartCount(env), starts + 1);
            if (without_extractor)
                std::filesystem::rename(module + ".aside", module);
        }
    }
}

// The package was downgraded after the run that died: the copy put back stays.
TEST_F(FailedRecoveryTest, PackageOlderThanTheInstallationPutBackDoesNotReplaceIt) {
    env.fake.InstallClient("130");
    env.fake.WritePackage("131");
    ASSERT_EQ(RunChild(env, "extracting"), "stopped extracting");
    env.fake.WritePackage("121");
    EXPECT_EQ(RunChild(env, "none"), "need=1 rc=0");
    EXPECT_EQ(ListTree(env.fake.app_path()), FakeInstall::ClientTree("130"));
    EXPECT_FALSE(PathExists(env.Marker()));
    EXPECT_EQ(StartCount(env), 1);
}

TEST_F(FailedRecoveryTest, PartialFirstInstallationIsRemovedWhenTheNextOneFailsToo) {
    ASSERT_EQ(RunChild(env, "extracting"), "stopped extracting");
    ASSERT_TRUE(PathExists(env.fake.app_path()));
    BreakPackage();
    EXPECT_EQ(RunChild(env, "none"), "need=1 rc=-1");
    EXPECT_FALSE(PathExists(env.fake.app_path()));
    EXPECT_FALSE(PathExists(env.Marker()));
    EXPECT_EQ(StartCount(env), 0);

    env.fake.WritePackage("121");
    EXPECT_EQ(RunChild(env, "none"), "need=1 rc=0");
    EXPECT_EQ(ListTree(env.fake.app_path()), FakeInstall::ClientTree("121"));
}

}  // namespace
