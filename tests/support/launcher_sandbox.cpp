#include "tests/support/launcher_sandbox.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace loxtest {

namespace {

std::string ReadWhole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string &text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// NUL-separated entries of /proc/PID/<name>.
std::vector<std::string> ProcList(pid_t pid, const char *name) {
    std::string raw = ReadWhole("/proc/" + std::to_string(pid) + "/" + name);
    std::vector<std::string> items;
    std::istringstream stream(raw);
    for (std::string item; std::getline(stream, item, '\0');) items.push_back(item);
    return items;
}

pid_t ParentOf(pid_t pid) {
    const std::string text = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = text.rfind(')');
    if (paren == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(paren + 1));
    char state = 0;
    long parent = 0;
    fields >> state >> parent;
    return static_cast<pid_t>(parent);
}

}  // namespace

LauncherSandbox::LauncherSandbox() {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::remove(fake_.extractor_module(), error);  // the tree brings its own copy
    fs::copy(LOXEN_LAUNCHER_TREE, fake_.root(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing |
                 fs::copy_options::copy_symlinks,
             error);
    if (error)
        ADD_FAILURE() << "cannot copy the launcher tree: " << error.message();
}

LauncherSandbox::~LauncherSandbox() {
    EndClients();
}

void LauncherSandbox::MakePackage(const std::string &build,
                                  const std::vector<std::string> &options) const {
    std::string command = Quote(std::string(LOXEN_SOURCE_DIR) + "/scripts/make-package");
    for (const std::string &option : options) command += " " + Quote(option);
    command += " " + Quote(build) + " " + Quote(fake_.root());
    ASSERT_EQ(RunShell(command), 0) << command;
}

void LauncherSandbox::SetAllLevels(int level) const {
    std::string text;
    for (const char *component :
         {"launcher_debug", "service_debug", "extractor_debug", "file_op_debug"})
        text += std::string(component) + "=" + std::to_string(level) + "\n";
    fake_.WriteLevelFile(text);
}

std::unique_ptr<ChildProcess> LauncherSandbox::Spawn(
    const ChildProcess::Environment &env, const std::vector<std::string> &command) const {
    // A bus that is not there: no notice of a test run reaches the desktop of the machine.
    ChildProcess::Environment merged = {
        {"HOME", fake_.home()},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + fake_.base() + "/no-bus"}};
    for (const auto &pair : env) merged[pair.first] = pair.second;
    if (command.empty())
        return std::make_unique<ChildProcess>(launcher(), std::vector<std::string>{}, merged);
    return std::make_unique<ChildProcess>(
        command.front(), std::vector<std::string>(command.begin() + 1, command.end()), merged);
}

LauncherRun LauncherSandbox::Finish(ChildProcess &launcher) {
    LauncherRun run;
    run.status = launcher.Wait();
    // The little it prints waits in the pipe.
    for (std::string line = launcher.ReadLine(); !line.empty(); line = launcher.ReadLine())
        run.out += line + "\n";
    return run;
}

LauncherRun LauncherSandbox::Run(const ChildProcess::Environment &env,
                                 const std::vector<std::string> &command) const {
    return Finish(*Spawn(env, command));
}

std::string LauncherSandbox::Log() const {
    return ReadWhole(fake_.user_path() + "/log/launcher.log");
}

std::vector<pid_t> LauncherSandbox::ClientPids() const {
    std::vector<pid_t> pids;
    DIR *proc = ::opendir("/proc");
    if (proc == nullptr)
        return pids;
    const std::string home = "HOME=" + fake_.home();
    while (struct dirent *entry = ::readdir(proc)) {
        pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0 || !IsAlive(pid))
            continue;
        bool is_client = false;
        for (const std::string &arg : ProcList(pid, "cmdline"))
            if (arg.find("/bin/cloud-loxen-ui") != std::string::npos)
                is_client = true;
        if (!is_client)
            continue;
        for (const std::string &variable : ProcList(pid, "environ"))
            if (variable == home)
                pids.push_back(pid);
    }
    ::closedir(proc);
    // A client's shell forks before each command it runs; until the exec the copy looks like
    // the client itself. It is not a second client.
    std::vector<pid_t> clients;
    for (pid_t pid : pids)
        if (std::find(pids.begin(), pids.end(), ParentOf(pid)) == pids.end())
            clients.push_back(pid);
    return clients;
}

pid_t LauncherSandbox::PidFromFile() const {
    std::string text = ReadWhole(fake_.pid_file());
    if (text.rfind("pid=", 0) != 0)
        return 0;
    return static_cast<pid_t>(std::atol(text.c_str() + 4));
}

void LauncherSandbox::EndClients() const {
    // SIGTERM first: the sample client then ends its own sleeper instead of orphaning it.
    const std::vector<pid_t> clients = ClientPids();
    for (pid_t pid : clients) ::kill(pid, SIGTERM);
    WaitFor([&] { return ClientPids().empty(); }, 5000);
    for (pid_t pid : ClientPids()) ::kill(pid, SIGKILL);
}

bool IsAlive(pid_t pid) {
    std::string stat = ReadWhole("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = stat.rfind(')');
    if (paren == std::string::npos || paren + 2 >= stat.size())
        return false;
    char state = stat[paren + 2];
    return state != 'Z' && state != 'X';
}

bool WaitFor(const std::function<bool()> &condition, int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int RunShell(const std::string &command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace loxtest
