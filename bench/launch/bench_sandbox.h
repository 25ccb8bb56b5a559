// A temporary folder for one launcher benchmark: copies of the installed launcher tree and a
// home, all on one file system; removed, with the client it left running, at the end.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/measure.h"

class BenchSandbox {
public:
    BenchSandbox();
    ~BenchSandbox();
    BenchSandbox(const BenchSandbox &) = delete;
    BenchSandbox &operator=(const BenchSandbox &) = delete;

    bool ok() const { return !base_.empty(); }
    const std::filesystem::path &base() const { return base_; }
    std::filesystem::path home() const { return base_ / "home"; }
    std::filesystem::path user_root() const { return home() / ".BrenthorLoxen"; }

    // A copy of the installed launcher tree at base/name; returns its root.
    std::filesystem::path AddInstallation(const std::string &name) const;
    // The environment of a run: this home, no display, a session bus that is not there.
    std::vector<std::string> Environment() const;
    bench::ProgramRun RunLauncher(const std::filesystem::path &root) const;

    // The live client that ui.pid names, or 0.
    pid_t RunningClient() const;
    // The same, waiting for it as long as the timeout; a start script returns before the
    // client it started has named itself.
    pid_t WaitForClient(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Starts the per-user copy's client through its start script; false when none came up.
    bool StartClient() const;
    // SIGTERM to the client that ui.pid names, SIGKILL after five seconds; waits as long as
    // wait_ms for one to name itself.
    void EndClient(std::chrono::milliseconds wait = std::chrono::milliseconds(0)) const;

private:
    std::filesystem::path base_;
};

// The root's INFO, naming this build, as the installed tree carries it.
void WriteInfo(const std::filesystem::path &file, const std::string &build);
// An executable start script that starts nothing.
void WriteNoOpStartScript(const std::filesystem::path &file);
