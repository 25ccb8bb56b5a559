#include "tests/faults/fault_case.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/fake_install.h"
#include "tests/support/launcher_sandbox.h"

namespace loxtest {

namespace {

struct NobodyJob {
    std::string launcher;
    ChildProcess::Environment env;
    std::string out;
    std::string err;
};

// Streams go to files: the pipes of ChildProcess would not survive the drop of privileges.
int RunRedirected(const std::string &launcher, const ChildProcess::Environment &env,
                  const std::string &out, const std::string &err) {
    ChildProcess child("/bin/sh", {"-c", "exec \"$0\" >\"$1\" 2>\"$2\"", launcher, out, err}, env);
    return child.Wait();
}

int RunNobodyJob(void *arg) {
    const auto *job = static_cast<const NobodyJob *>(arg);
    return RunRedirected(job->launcher, job->env, job->out, job->err);
}

const struct passwd *Nobody() {
    return ::getpwnam("nobody");
}

std::string ReadIfThere(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void EndGently(const std::vector<pid_t> &clients) {
    for (pid_t client : clients) ::kill(client, SIGTERM);
    for (pid_t client : clients)
        if (!WaitFor([&] { return !IsAlive(client); }, 5000))
            ::kill(client, SIGKILL);
}

}  // namespace

FaultScratch::FaultScratch() {
    MakeDirs(runtime_dir());
    ::chmod(runtime_dir().c_str(), 0700);
}

ChildProcess::Environment FaultScratch::Env(const std::string &home) const {
    // A bus that is not there: no notice of a fault case reaches the desktop of the machine.
    return {{"HOME", home},
            {"QT_QPA_PLATFORM", "offscreen"},
            {"XDG_RUNTIME_DIR", runtime_dir()},
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (dir_ / "no-bus")}};
}

bool FaultScratch::CanRunAs(RunUser user) {
    if (user == RunUser::Current || ::geteuid() != 0)
        return true;  // without root the permission bits already hold for this user
    return Nobody() != nullptr;
}

CapturedRun FaultScratch::Run(const std::string &launcher, const ChildProcess::Environment &env,
                              RunUser user) {
    const std::string tag = std::to_string(++runs_);
    NobodyJob job{launcher, env, dir_ / ("out-" + tag), dir_ / ("err-" + tag)};
    WriteFile(job.out, "");
    WriteFile(job.err, "");
    CapturedRun run;
    if (user == RunUser::Nobody && ::geteuid() == 0) {
        // The lock directory must be private to the user that runs.
        const std::string runtime = dir_ / "runtime-nobody";
        MakeDirs(runtime);
        ::chmod(runtime.c_str(), 0700);
        ChownToNobody(runtime);
        MakePassable(dir_.path());
        ::chmod(job.out.c_str(), 0666);
        ::chmod(job.err.c_str(), 0666);
        job.env["XDG_RUNTIME_DIR"] = runtime;
        run.status = RunAsNobody(RunNobodyJob, &job);
    } else {
        run.status = RunRedirected(job.launcher, job.env, job.out, job.err);
    }
    run.out = ReadFile(job.out);
    run.err = ReadFile(job.err);
    return run;
}

std::map<std::string, std::string> PackageTree(const std::string &package) {
    TempDir unpacked;
    const std::string command =
        "tar -xzf " + ShellQuote(package) + " -C " + ShellQuote(unpacked.path());
    if (RunShell(command) != 0) {
        ADD_FAILURE() << command;
        return {};
    }
    return SnapshotTree(unpacked.path());
}

bool EndClient(const LauncherSandbox &box, int wait_ms) {
    std::vector<pid_t> clients;
    if (!WaitFor([&] { return !(clients = box.ClientPids()).empty(); }, wait_ms))
        return false;
    EndGently(clients);
    return true;
}

bool EndClient(const std::string &user_path, int wait_ms) {
    pid_t client = 0;
    if (!WaitFor([&] { return (client = ClientNamedBy(user_path)) != 0; }, wait_ms))
        return false;
    EndGently({client});
    return true;
}

pid_t ClientNamedBy(const std::string &user_path) {
    const std::string text = ReadIfThere(user_path + "/ui.pid");
    if (text.rfind("pid=", 0) != 0)
        return 0;
    const pid_t pid = static_cast<pid_t>(std::atol(text.c_str() + 4));
    if (pid <= 0 || !IsAlive(pid))
        return 0;
    const std::string cmdline = ReadIfThere("/proc/" + std::to_string(pid) + "/cmdline");
    return cmdline.find("/bin/cloud-loxen-ui") != std::string::npos ? pid : 0;
}

int CountOf(const std::string &text, const std::string &needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

std::string ShellQuote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
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
