#include "bench/launch/bench_sandbox.h"

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr char kClientName[] = "cloud-loxen-ui";

std::string ReadFirstLine(const fs::path &file) {
    std::string line;
    std::getline(std::ifstream(file), line);
    return line;
}

// A zombie has ended; only its parent's wait is missing.
bool IsAlive(pid_t pid) {
    const std::string stat = ReadFirstLine("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z' &&
           stat[paren + 2] != 'X';
}

bool WaitFor(const std::function<bool()> &condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace

BenchSandbox::BenchSandbox() {
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/loxen-launch-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return;
    base_ = pattern;
    fs::create_directories(home());
}

BenchSandbox::~BenchSandbox() {
    if (base_.empty())
        return;
    EndClient(std::chrono::seconds(2));
    std::error_code ignored;
    fs::remove_all(base_, ignored);
}

fs::path BenchSandbox::AddInstallation(const std::string &name) const {
    const fs::path root = base_ / name;
    fs::copy(LOXEN_LAUNCHER_TREE, root,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    fs::create_directories(root / "package");
    return root;
}

std::vector<std::string> BenchSandbox::Environment() const {
    return {"HOME=" + home().string(), "QT_QPA_PLATFORM=offscreen",
            "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (base_ / "no-bus").string()};
}

bench::ProgramRun BenchSandbox::RunLauncher(const fs::path &root) const {
    return bench::RunProgram({(root / "bin/loxen-launcher").string()}, Environment());
}

pid_t BenchSandbox::RunningClient() const {
    const std::string record = ReadFirstLine(user_root() / "ui.pid");
    if (record.rfind("pid=", 0) != 0)
        return 0;
    const pid_t pid = static_cast<pid_t>(std::atol(record.c_str() + 4));
    const bool ours =
        pid > 0 && ReadFirstLine("/proc/" + std::to_string(pid) + "/comm") == kClientName;
    return ours && IsAlive(pid) ? pid : 0;
}

pid_t BenchSandbox::WaitForClient(std::chrono::milliseconds timeout) const {
    pid_t client = 0;
    WaitFor([&] { return (client = RunningClient()) != 0; }, timeout);
    return client;
}

bool BenchSandbox::StartClient() const {
    const fs::path script = user_root() / "BrenthorLoxen.app/package/start-stop";
    return bench::RunProgram({script.string(), "start"}, Environment()).ok && WaitForClient() != 0;
}

void BenchSandbox::EndClient(std::chrono::milliseconds wait) const {
    const pid_t client = WaitForClient(wait);
    if (client == 0)
        return;
    ::kill(client, SIGTERM);
    if (!WaitFor([client] { return !IsAlive(client); }, std::chrono::seconds(5)))
        ::kill(client, SIGKILL);
}

void WriteInfo(const fs::path &file, const std::string &build) {
    std::ofstream(file) << "[Version]\nmajor_version=1\nminor_version=0\nbuild_version=" << build
                        << "\nicon_overlay_version=1\n";
}

void WriteNoOpStartScript(const fs::path &file) {
    std::ofstream(file) << "#!/bin/sh\nexit 0\n";
    fs::permissions(file, fs::perms::owner_all, fs::perm_options::add);
}
