#include "tests/support/fault_scratch.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

TreeListing PackageTree(const std::string &package) {
    TempDir unpacked;
    const std::string command =
        "tar -xzf " + ShellQuote(package) + " -C " + ShellQuote(unpacked.path());
    if (RunShell(command) != 0) {
        ADD_FAILURE() << command;
        return {};
    }
    return ListTree(unpacked.path());
}

}  // namespace loxtest
