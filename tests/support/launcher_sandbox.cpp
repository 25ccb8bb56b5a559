#include "tests/support/launcher_sandbox.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace loxtest {

namespace {

// NUL-separated entries of /proc/PID/<name>.
std::vector<std::string> ProcList(pid_t pid, const char *name) {
    std::string raw = ReadIfThere("/proc/" + std::to_string(pid) + "/" + name);
    std::vector<std::string> items;
    std::istringstream stream(raw);
    for (std::string item; std::getline(stream, item, '\0');) items.push_back(item);
    return items;
}

pid_t ParentOf(pid_t pid) {
    const std::string text = ReadIfThere("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = text.rfind(')');
    if (paren == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(paren + 1));
    char state = 0;
    long parent = 0;
    fields >> state >> parent;
    return static_cast<pid_t>(parent);
}

void EndGently(const std::vector<pid_t> &clients) {
    for (pid_t client : clients) ::kill(client, SIGTERM);
    for (pid_t client : clients)
        if (!WaitFor([&] { return !IsAlive(client); }, 5000))
            ::kill(client, SIGKILL);
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
    EndClient(*this, 0);
}

void LauncherSandbox::MakePackage(const std::string &build,
                                  const std::vector<std::string> &options) const {
    std::string command = ShellQuote(std::string(LOXEN_SOURCE_DIR) + "/scripts/make-package");
    for (const std::string &option : options) command += " " + ShellQuote(option);
    command += " " + ShellQuote(build) + " " + ShellQuote(fake_.root());
    ASSERT_EQ(RunShell(command), 0) << command;
}

void LauncherSandbox::MakeGatedPackage(const std::string &build,
                                       std::vector<std::string> options) const {
    const std::string gate = fake_.base() + "/gate-start-stop";
    WriteFile(gate,
              "#!/bin/sh\necho >> \"$HOME/starts\"\n"
              "for _ in $(seq 1 1200); do [ -e \"$HOME/release\" ] && exit 0; sleep 0.1; done\n"
              "exit 1\n");
    options.insert(options.end(), {"--start-stop", gate});
    MakePackage(build, options);
}

int LauncherSandbox::Starts() const {
    return CountOf(ReadIfThere(fake_.home() + "/starts"), "\n");
}

void LauncherSandbox::Release() const {
    WriteFile(fake_.home() + "/release", "");
}

void LauncherSandbox::SetAllLevels(int level) const {
    std::string text;
    for (const char *component :
         {"launcher_debug", "service_debug", "extractor_debug", "file_op_debug"})
        text += std::string(component) + "=" + std::to_string(level) + "\n";
    fake_.WriteLevelFile(text);
}

bool LauncherSandbox::InstallRunningClient(const std::string &build,
                                           const ChildProcess::Environment &env,
                                           bool as_nobody) const {
    MakePackage(build);
    if (Run(env).status != 0)
        return false;
    EndClient(*this);
    if (as_nobody)
        HandToNobody(fake_.base(), fake_.home());
    return StartSlowClient(fake_.home(), as_nobody);
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

CapturedRun LauncherSandbox::Finish(ChildProcess &launcher) {
    CapturedRun run;
    run.status = launcher.Wait();
    // The little it prints waits in the pipe.
    for (std::string line = launcher.ReadLine(); !line.empty(); line = launcher.ReadLine())
        run.out += line + "\n";
    return run;
}

CapturedRun LauncherSandbox::Run(const ChildProcess::Environment &env,
                                 const std::vector<std::string> &command) const {
    return Finish(*Spawn(env, command));
}

std::string LauncherSandbox::Log() const {
    return ReadIfThere(fake_.user_path() + "/log/launcher.log");
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

bool IsAlive(pid_t pid) {
    std::string stat = ReadIfThere("/proc/" + std::to_string(pid) + "/stat");
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

bool StartSlowClient(const std::string &home, bool as_nobody) {
    // The sample client may end within the launcher's first look, before the dialog's delay
    // has passed. The launcher knows its client by name, hence the link.
    const std::string dir = home + "/../slow-client/bin";
    std::filesystem::create_directories(dir);
    const std::string client = dir + "/cloud-loxen-ui";
    if (::symlink("/bin/sh", client.c_str()) != 0 && errno != EEXIST)
        return false;
    std::string user;
    if (as_nobody) {
        const std::vector<std::string> words = AsNobody();
        if (words.empty())
            return false;
        for (const std::string &word : words) user += ShellQuote(word) + " ";
    }
    const std::string user_path = home + "/.BrenthorLoxen";
    const std::string script =
        "echo pid=$$ >\"$0\"; seen() { cat \"$1\" 2>/dev/null | grep -c -e 'dialog shown' -e "
        "'run ended'; }; before=$(seen \"$1\"); trap 'i=0; while [ $i -lt 50 ] && [ $(seen "
        "\"$1\") -le $before ]; do sleep 0.1; i=$((i+1)); done; exit 0' TERM; while :; do sleep "
        "0.2; done";
    RunShell("HOME=" + ShellQuote(home) + " setsid " + user + ShellQuote(client) + " -c " +
             ShellQuote(script) + " " + ShellQuote(user_path + "/ui.pid") + " " +
             ShellQuote(user_path + "/log/launcher.log") + " </dev/null >/dev/null 2>&1 &");
    return WaitFor([&] { return ClientNamedBy(user_path) != 0; });
}

}  // namespace loxtest
