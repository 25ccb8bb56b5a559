#include "service/linux/client-stop.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fstream>
#include <thread>

#include "common/config.h"
#include "common/file-op.h"
#include "common/log.h"

namespace {

using Clock = std::chrono::steady_clock;

// The client's time to save its state before it is killed.
constexpr std::chrono::seconds kGrace(5);
// Where the system cannot tell us when a process ends, we look this often.
constexpr std::chrono::milliseconds kProbeInterval(10);
// The kernel never hands out more process ids than this.
constexpr long kPidLimit = 4194304;
const char kDeletedSuffix[] = " (deleted)";

std::string ProcPath(pid_t pid, const char *entry) {
    return "/proc/" + std::to_string(pid) + "/" + entry;
}

long PidMax() {
    std::ifstream in("/proc/sys/kernel/pid_max");
    long value = 0;
    if (in >> value && value > 0 && value <= kPidLimit)
        return value;
    return kPidLimit;
}

// The state letter of /proc/PID/stat, or 0 when the process is not there.
char ProcessState(pid_t pid) {
    std::ifstream in(ProcPath(pid, "stat"));
    std::string line;
    if (!std::getline(in, line))
        return 0;
    // The name in parentheses may itself hold ") ", so the last one ends it.
    std::string::size_type close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return 0;
    return line[close + 2];
}

// A zombie has ended; only its parent's wait is missing.
bool ProcessGone(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return true;
    char state = ProcessState(pid);
    return state == 'Z' || state == 'X';
}

bool OwnedByUs(pid_t pid) {
    struct stat st;
    return ::stat(ProcPath(pid, "").c_str(), &st) == 0 && st.st_uid == ::geteuid();
}

// The executable's path; a replaced file shows as "path (deleted)".
bool ExecutablePath(pid_t pid, std::string &path) {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink(ProcPath(pid, "exe").c_str(), buffer, sizeof buffer - 1);
    if (length <= 0)
        return false;
    path.assign(buffer, static_cast<size_t>(length));
    size_t suffix = sizeof kDeletedSuffix - 1;
    if (path.size() > suffix && path.compare(path.size() - suffix, suffix, kDeletedSuffix) == 0)
        path.erase(path.size() - suffix);
    return true;
}

std::string ProcessName(pid_t pid) {
    std::ifstream in(ProcPath(pid, "comm"));
    std::string name;
    std::getline(in, name);
    return name;
}

bool IsClientExecutable(const std::string &exe, const ClientIdentity &client) {
    ustring path(exe);
    if (path == client.ui_path || FSIsParentFolder(client.app_path, path))
        return true;
    // The kernel reports the resolved path; the registry's may go through links.
    ustring real_app = client.app_path;
    return FSGetRealPath(real_app) == 0 && FSIsParentFolder(real_app, path);
}

// The kernel keeps 15 bytes of a process name.
bool HasClientName(pid_t pid, const ClientIdentity &client) {
    std::string expected = FSBaseName(client.ui_path).c_str();
    std::string name = ProcessName(pid);
    return !name.empty() && !expected.empty() && name == expected.substr(0, 15);
}

// A descriptor of the process itself: signals sent through it cannot reach another process
// that was given the same id, and it becomes readable when the process ends. -1 where the
// system has none (ENOSYS before Linux 5.3), or the process is gone.
class ProcessHandle {
public:
    explicit ProcessHandle(pid_t pid)
        : pid_(pid), fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
    ~ProcessHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ProcessHandle(const ProcessHandle &) = delete;
    ProcessHandle &operator=(const ProcessHandle &) = delete;

    int Signal(int sig) const {
        return fd_ >= 0 ? static_cast<int>(::syscall(SYS_pidfd_send_signal, fd_, sig, nullptr, 0))
                        : ::kill(pid_, sig);
    }

    // True once the process has ended; false when the deadline passed first.
    bool EndsBefore(Clock::time_point deadline) const {
        for (;;) {
            const auto left = deadline - Clock::now();
            if (fd_ >= 0 ? PollEnded(left) : ProcessGone(pid_))
                return true;
            if (left <= Clock::duration::zero())
                return false;
            if (fd_ < 0)
                std::this_thread::sleep_for(std::min<Clock::duration>(left, kProbeInterval));
        }
    }

    // Without a descriptor, the id may have been given to another process meanwhile.
    bool StillNames(const ClientIdentity &client) const {
        return fd_ >= 0 || IsOwnClient(pid_, client);
    }

private:
    // A signal (EINTR) only sends the caller round again.
    bool PollEnded(Clock::duration left) const {
        struct pollfd ended = {fd_, POLLIN, 0};
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return ::poll(&ended, 1, static_cast<int>(std::max<decltype(ms)>(ms, 0))) > 0;
    }

    pid_t pid_;
    int fd_;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

pid_t ParseClientPid(const std::string &value) {
    const char *text = value.c_str();
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (*text == '-' || *text == '+') {
        if (*text == '-')
            return 0;
        ++text;
    }
    if (!std::isdigit(static_cast<unsigned char>(*text)))
        return 0;
    long pid = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
        pid = pid * 10 + (*text - '0');
        if (pid > kPidLimit)
            return 0;
    }
    return pid <= PidMax() ? static_cast<pid_t>(pid) : 0;
}

bool IsOwnClient(pid_t pid, const ClientIdentity &client) {
    if (pid <= 0 || !OwnedByUs(pid))
        return false;
    std::string exe;
    if (ExecutablePath(pid, exe) && IsClientExecutable(exe, client))
        return true;
    return HasClientName(pid, client);
}

void StopClient(const ustring &pid_file, const ClientIdentity &client) {
    if (!IsFileExist(pid_file, false)) {
        LOX_LOG(DEBUG, "service_debug", "linux/linux-service",
                "pid file '%s' does not exist, no need to terminate", pid_file.c_str());
        return;
    }
    Config config;
    if (config.read(pid_file.c_str()) < 0) {
        LOX_LOG(NOTE, "service_debug", "linux/linux-service",
                "Failed to read pid file '%s', not exist ?", pid_file.c_str());
        return;
    }
    std::string value = config["pid"];
    pid_t pid = ParseClientPid(value);
    if (pid == 0) {
        LOX_LOG(NOTE, "service_debug", "linux/linux-service",
                "pid file '%s' names no process ('%s'), nothing to terminate", pid_file.c_str(),
                value.c_str());
        return;
    }
    if (ProcessGone(pid))
        return;
    // Opened before the identity check: the descriptor pins the process that was checked.
    const ProcessHandle process(pid);
    if (!IsOwnClient(pid, client)) {
        LOX_LOG(NOTE, "service_debug", "linux/linux-service",
                "process %d of pid file '%s' is not the client, not terminating it",
                static_cast<int>(pid), pid_file.c_str());
        return;
    }
    const auto sent = Clock::now();
    if (process.Signal(SIGTERM) != 0) {
        const int error = errno;
        if (error == ESRCH)
            return;
        LOX_LOG(ERROR, "service_debug", "linux/linux-service", "kill: %s (%d)",
                std::strerror(error), error);
    }
    if (process.EndsBefore(sent + kGrace)) {
        LOX_LOG(INFO, "service_debug", "linux/linux-service",
                "client %d: SIGTERM sent, ended after %.3f s", static_cast<int>(pid),
                SecondsSince(sent));
        return;
    }
    if (!process.StillNames(client)) {
        LOX_LOG(NOTE, "service_debug", "linux/linux-service",
                "process %d is no longer the client, not killing it", static_cast<int>(pid));
        return;
    }
    process.Signal(SIGKILL);
    LOX_LOG(INFO, "service_debug", "linux/linux-service",
            "client %d: SIGTERM sent, still running after %.1f s, SIGKILL sent",
            static_cast<int>(pid), SecondsSince(sent));
}
