#include "tests/support/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace loxtest {

namespace {

constexpr int kHangGuardMs = 60 * 1000;

std::vector<std::string> MergedEnvironment(const ChildProcess::Environment &changes) {
    std::vector<std::string> merged;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (changes.count(name) == 0)
            merged.push_back(text);
    }
    for (const auto &[name, value] : changes) {
        if (value)
            merged.push_back(name + "=" + *value);
    }
    return merged;
}

std::vector<char *> PointersTo(std::vector<std::string> &strings) {
    std::vector<char *> pointers;
    for (std::string &s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

void CloseFd(int &fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::string &program, const std::vector<std::string> &args,
                           const Environment &env) {
    std::vector<std::string> argv_strings{program};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<std::string> env_strings = MergedEnvironment(env);
    // Built before fork: the child may only exec.
    std::vector<char *> argv = PointersTo(argv_strings);
    std::vector<char *> envp = PointersTo(env_strings);

    int to_child[2];
    int from_child[2];
    if (::pipe2(to_child, O_CLOEXEC) != 0 || ::pipe2(from_child, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(to_child[0], STDIN_FILENO);
        ::dup2(from_child[1], STDOUT_FILENO);
        // As from a desktop menu: what the test runner left open is not the child's.
        ::close_range(3, ~0U, 0);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(to_child[0]);
    ::close(from_child[1]);
    input_fd_ = to_child[1];
    output_fd_ = from_child[0];
    if (pid_ < 0) {
        ADD_FAILURE() << "fork: " << std::strerror(errno);
        CloseFd(input_fd_);
        CloseFd(output_fd_);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        Wait();
    }
    CloseFd(input_fd_);
    CloseFd(output_fd_);
}

void ChildProcess::Write(const std::string &text) {
    if (input_fd_ < 0)
        return;
    // A child that died already must fail the test through its output, not kill the test.
    ::signal(SIGPIPE, SIG_IGN);
    if (::write(input_fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        ADD_FAILURE() << "write to child " << pid_ << ": " << std::strerror(errno);
}

void ChildProcess::CloseInput() {
    CloseFd(input_fd_);
}

void ChildProcess::CloseOutput() {
    CloseFd(output_fd_);
}

std::string ChildProcess::ReadLine() {
    while (buffered_.find('\n') == std::string::npos && output_fd_ >= 0) {
        pollfd pfd{output_fd_, POLLIN, 0};
        if (::poll(&pfd, 1, kHangGuardMs) <= 0) {
            ADD_FAILURE() << "no output from child " << pid_;
            return std::string();
        }
        char chunk[256];
        const ssize_t n = ::read(output_fd_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        buffered_.append(chunk, static_cast<size_t>(n));
    }
    const size_t end = buffered_.find('\n');
    const std::string line = buffered_.substr(0, end);
    buffered_.erase(0, end == std::string::npos ? std::string::npos : end + 1);
    return line;
}

void ChildProcess::Kill() {
    if (pid_ > 0)
        ::kill(pid_, SIGKILL);
}

int ChildProcess::Wait() {
    if (pid_ <= 0)
        return -1;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &status, 0);
    } while (result < 0 && errno == EINTR);
    pid_ = -1;
    if (result < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> AsNobody() {
    const struct passwd *nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::geteuid() != 0)
        return {};
    return {"/usr/bin/setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
            "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups"};
}

std::string ShellQuote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunShell(const std::string &command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

CapturedRun RunCapturing(const std::string &command) {
    CapturedRun run;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char chunk[4096];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) run.out.append(chunk, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace loxtest
