// Stopping the per-user client through its pid file, with real processes. Every kill call of
// the service passes through the wrapper below (the test links with --wrap=kill), which
// records it and lets only positive process ids reach the system.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "service/linux/client-stop.h"
#include "tests/service/service_test_env.h"

extern "C" int __real_kill(pid_t pid, int sig);
extern "C" long __real_syscall(long number, long a, long b, long c, long d);

namespace {

std::vector<std::pair<pid_t, int>> kill_calls;
bool pidfd_missing = false;  // as on a system older than Linux 5.3
pid_t pidfd_process = 0;
int pidfd_signals = 0;

}  // namespace

// A signal sent through a process descriptor is recorded as a kill call to its process.
extern "C" long __wrap_syscall(long number, long a, long b, long c, long d) {
    if (number == SYS_pidfd_open && pidfd_missing) {
        errno = ENOSYS;
        return -1;
    }
    if (number == SYS_pidfd_open)
        pidfd_process = static_cast<pid_t>(a);
    if (number == SYS_pidfd_send_signal) {
        kill_calls.emplace_back(pidfd_process, static_cast<int>(b));
        ++pidfd_signals;
    }
    return __real_syscall(number, a, b, c, d);
}

extern "C" int __wrap_kill(pid_t pid, int sig) {
    kill_calls.emplace_back(pid, sig);
    if (pid <= 0) {
        errno = EPERM;
        return -1;
    }
    return __real_kill(pid, sig);
}

namespace {

using loxtest::WriteFile;

// A child process that is reaped by the test, whatever happens to it.
class Child {
public:
    // Runs program with argument (may be empty) and waits until it says it is ready.
    Child(const std::string &program, const std::string &argument) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ready[1], STDOUT_FILENO);
            ::close(ready[0]);
            if (argument.empty())
                ::execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
            else
                ::execl(program.c_str(), program.c_str(), argument.c_str(),
                        static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        char buffer[6];
        ready_ = ::read(ready[0], buffer, sizeof buffer) == 6;
        ::close(ready[0]);
    }
    // A forked copy of the test that renames itself and, optionally, becomes "nobody".
    Child(const char *name, bool as_nobody) {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            struct passwd *nobody = ::getpwnam("nobody");
            if (as_nobody && (nobody == nullptr || ::setgroups(0, nullptr) != 0 ||
                              ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0))
                ::_exit(126);
            ::prctl(PR_SET_NAME, name, 0, 0, 0);
            if (::write(ready[1], "ready\n", 6) != 6)
                ::_exit(1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char buffer[6];
        ready_ = ::read(ready[0], buffer, sizeof buffer) == 6;
        ::close(ready[0]);
    }
    ~Child() {
        if (pid_ > 0 && !reaped_) {
            __real_kill(pid_, SIGKILL);
            Wait();
        }
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    pid_t pid() const { return pid_; }
    bool ready() const { return ready_; }
    bool Alive() const { return !reaped_ && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    // The signal that ended it, or 0.
    int Wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        reaped_ = true;
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
    bool reaped_ = false;
};

void CopyExecutable(const std::string &from, const std::string &to) {
    loxtest::MakeDirs(to.substr(0, to.rfind('/')));
    WriteFile(to, loxtest::ReadFile(from));
    ::chmod(to.c_str(), 0755);
}

class StopClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        kill_calls.clear();
        pidfd_missing = false;
        pidfd_signals = 0;
        env.fake.InstallClient("120");
        CopyExecutable(FAKE_CLIENT_PATH, env.fake.ui_path());
    }

    void WritePid(const std::string &value) {
        WriteFile(env.fake.pid_file(), "pid=" + value + "\n");
    }
    void WritePid(pid_t pid) { WritePid(std::to_string(pid)); }

    int Signals(int sig) const {
        int count = 0;
        for (const auto &call : kill_calls) count += call.second == sig;
        return count;
    }

    svctest::ServiceEnv env;
    svctest::TestService service;
};

// Each with the process descriptor the system offers, and with probes where it has none.
class StopGraceTest : public StopClientTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StopGraceTest, ClientThatEndsOnSigtermIsStopped) {
    pidfd_missing = GetParam();
    Child client(env.fake.ui_path(), "");
    ASSERT_TRUE(client.ready());
    WritePid(client.pid());
    service.StopService();
    EXPECT_EQ(client.Wait(), SIGTERM);
    EXPECT_EQ(Signals(SIGTERM), 1);
    EXPECT_EQ(Signals(SIGKILL), 0);
    EXPECT_EQ(pidfd_signals, pidfd_missing ? 0 : 1) << "sent by process id, not descriptor";
}

// The slow test: five seconds of grace.
TEST_P(StopGraceTest, ClientThatIgnoresSigtermIsKilledAfterTheGrace) {
    pidfd_missing = GetParam();
    Child client(env.fake.ui_path(), "ignore");
    ASSERT_TRUE(client.ready());
    WritePid(client.pid());
    const auto start = std::chrono::steady_clock::now();
    service.StopService();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(client.Wait(), SIGKILL);
    EXPECT_EQ(kill_calls.back(), std::make_pair(client.pid(), SIGKILL));
    EXPECT_EQ(Signals(SIGTERM), 1);
}

INSTANTIATE_TEST_SUITE_P(PidfdOrProbes, StopGraceTest, ::testing::Values(false, true));

TEST_F(StopClientTest, ForeignProcessIsNeverSignalled) {
    Child named_alike("sleeper", false);
    ASSERT_TRUE(named_alike.ready());
    WritePid(named_alike.pid());
    service.StopService();
    EXPECT_TRUE(named_alike.Alive());
    EXPECT_EQ(Signals(SIGTERM) + Signals(SIGKILL), 0);
    EXPECT_TRUE(env.log.Has("is not the client, not terminating it"));
}

TEST_F(StopClientTest, ProcessOfAnotherUserIsNeverSignalled) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to start a process of another user";
    Child other("cloud-loxen-ui", true);
    if (!other.ready())
        GTEST_SKIP() << "cannot become nobody here";
    WritePid(other.pid());
    service.StopService();
    EXPECT_TRUE(other.Alive());
    EXPECT_EQ(Signals(SIGTERM) + Signals(SIGKILL), 0);
}

// An interpreted client shows its interpreter as executable and its own name as process name.
TEST_F(StopClientTest, ClientRecognisedByItsProcessName) {
    Child client("cloud-loxen-ui", false);
    ASSERT_TRUE(client.ready());
    WritePid(client.pid());
    service.StopService();
    EXPECT_EQ(client.Wait(), SIGTERM);
}

// After a replacement the running executable is a deleted file of the application directory.
TEST_F(StopClientTest, ClientWhoseExecutableWasDeletedIsStillOurs) {
    std::string helper = env.fake.app_path() + "/bin/helper";
    CopyExecutable(FAKE_CLIENT_PATH, helper);
    Child client(helper, "");
    ASSERT_TRUE(client.ready());
    ::unlink(helper.c_str());
    WritePid(client.pid());
    service.StopService();
    EXPECT_EQ(client.Wait(), SIGTERM);
}

TEST_F(StopClientTest, ClientAlreadyGoneIsNotWaitedFor) {
    pid_t gone;
    {
        Child client(env.fake.ui_path(), "");
        gone = client.pid();
    }
    WritePid(gone);
    service.StopService();
    EXPECT_EQ(Signals(SIGTERM) + Signals(SIGKILL), 0);
    EXPECT_LE(kill_calls.size(), 1u);
}

// kill(0) or kill(-1) would signal the user's whole session.
TEST_F(StopClientTest, UnusablePidValuesNeverReachKill) {
    const std::string values[] = {"0",       "-1", "-4242", "abc", "\"\"", "99999999999999999999",
                                  "4194305", "+0", "0x10"};
    for (const std::string &value : values) {
        kill_calls.clear();
        WritePid(value);
        service.StopService();
        EXPECT_TRUE(kill_calls.empty()) << value;
    }
}

TEST_F(StopClientTest, BrokenPidFilesSignalNothing) {
    const std::string files[] = {"", "# only a comment\n", "ppid=12\n", "pid 12\n",
                                 std::string("pid=\x01\n", 6)};
    for (const std::string &text : files) {
        kill_calls.clear();
        WriteFile(env.fake.pid_file(), text);
        service.StopService();
        EXPECT_TRUE(kill_calls.empty()) << text;
    }
    EXPECT_TRUE(
        env.log.Has("Failed to read pid file '" + env.fake.pid_file() + "', not exist ?\n"));
}

TEST_F(StopClientTest, PidFileThatIsADirectorySignalsNothing) {
    loxtest::MakeDirs(env.fake.pid_file());
    service.StopService();
    EXPECT_TRUE(kill_calls.empty());
}

TEST_F(StopClientTest, MissingPidFileIsLoggedAndNothingIsSignalled) {
    service.StopService();
    EXPECT_TRUE(kill_calls.empty());
    EXPECT_TRUE(env.log.Has("pid file '" + env.fake.pid_file() +
                            "' does not exist, no need to terminate\n"));
}

TEST(ClientPidTest, ReadsAsAtolAndRefusesWhatCannotBeAProcess) {
    EXPECT_EQ(ParseClientPid("1234"), 1234);
    EXPECT_EQ(ParseClientPid("  77"), 77);
    EXPECT_EQ(ParseClientPid("12abc"), 12);
    EXPECT_EQ(ParseClientPid("+5"), 5);
    EXPECT_EQ(ParseClientPid(""), 0);
    EXPECT_EQ(ParseClientPid("-1"), 0);
    EXPECT_EQ(ParseClientPid("0"), 0);
    EXPECT_EQ(ParseClientPid("abc"), 0);
    EXPECT_EQ(ParseClientPid("4194305"), 0);
    EXPECT_EQ(ParseClientPid("18446744073709551617"), 0);
}

TEST_F(StopClientTest, UpgradeStopsTheClientOnlyWhenTheClientExecutableExists) {
    Child client(env.fake.ui_path(), "");
    ASSERT_TRUE(client.ready());
    WritePid(client.pid());
    ::unlink(env.fake.ui_path().c_str());
    env.fake.WritePackage("121");
    EXPECT_EQ(service.HandlePackageUpgrade().kind, ClientProblem::None);
    EXPECT_TRUE(client.Alive());
}

TEST_F(StopClientTest, UpgradeStopsARunningClientBeforeReplacingIt) {
    Child client(env.fake.ui_path(), "");
    ASSERT_TRUE(client.ready());
    WritePid(client.pid());
    env.fake.WritePackage("121");
    EXPECT_EQ(service.HandlePackageUpgrade().kind, ClientProblem::None);
    EXPECT_EQ(client.Wait(), SIGTERM);
    EXPECT_EQ(loxtest::ListTree(env.fake.app_path()), loxtest::FakeInstall::ClientTree("121"));
}

}  // namespace
