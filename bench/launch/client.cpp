// The client the update benchmark installs as bin/cloud-loxen-ui: appends "start NS" when it
// starts and "term NS" when SIGTERM reaches it (CLOCK_MONOTONIC nanoseconds) to
// $HOME/client-events, names itself in ~/.BrenthorLoxen/ui.pid and ends at once on SIGTERM.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace {

// A client left behind by a benchmark that was killed ends by itself.
constexpr unsigned kLifetimeSeconds = 600;

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void Record(const std::string &events, const char *what, long long ns) {
    std::ofstream(events, std::ios::app) << what << " " << ns << "\n";
}

}  // namespace

int main() {
    const long long started = MonotonicNs();
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ending, signal_number);
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    const char *home = std::getenv("HOME");
    if (home == nullptr)
        return 1;
    const std::string events = std::string(home) + "/client-events";
    const std::string pid_file = std::string(home) + "/.BrenthorLoxen/ui.pid";
    const std::string own_record = "pid=" + std::to_string(getpid());
    Record(events, "start", started);
    const std::string staged = pid_file + "." + std::to_string(getpid());
    std::ofstream(staged) << own_record << "\n";
    std::rename(staged.c_str(), pid_file.c_str());
    alarm(kLifetimeSeconds);

    siginfo_t info{};
    sigwaitinfo(&ending, &info);
    Record(events, "term", MonotonicNs());
    std::string named;
    std::getline(std::ifstream(pid_file), named);
    if (named == own_record)  // a newer client may have taken the file over
        std::remove(pid_file.c_str());
    return 0;
}
