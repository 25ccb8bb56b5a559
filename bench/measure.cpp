#include "bench/measure.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

extern char **environ;

namespace bench {

namespace {

// True when extra_env sets the variable of entry ("NAME=value").
bool Overrides(const std::vector<std::string> &extra_env, const std::string &entry) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    for (const std::string &extra : extra_env)
        if (extra.compare(0, name.size(), name) == 0)
            return true;
    return false;
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string> &args,
                      const std::vector<std::string> &extra_env) {
    // A shell takes the last of two entries of one name, the C library the first: keep one.
    std::vector<std::string> env(extra_env);
    for (char **entry = environ; *entry != nullptr; ++entry)
        if (!Overrides(extra_env, *entry))
            env.emplace_back(*entry);
    std::vector<char *> envp;
    for (std::string &entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> owned(args);
    std::vector<char *> argv;
    for (std::string &arg : owned) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ProgramRun run;
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(child, &status, 0, &usage) != child)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peak_mb = usage.ru_maxrss / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace bench
