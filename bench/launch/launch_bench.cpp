// Times an up-to-date run of the installed launcher against a minimal program that builds an
// application object and a progress dialog and runs the same start script.
//
//   launch_bench [RUNS]     (RUNS defaults to 15)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char **environ;

namespace fs = std::filesystem;

namespace {

const char kNoOpStartScript[] = "#!/bin/sh\nexit 0\n";

// Runs argv with the given extra environment; the wall time in milliseconds, or -1.
double TimedRun(const std::vector<std::string> &argv, const std::vector<std::string> &extra_env) {
    std::vector<std::string> env(extra_env);
    for (char **entry = environ; *entry != nullptr; ++entry) env.emplace_back(*entry);
    std::vector<char *> envp;
    for (std::string &entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args(argv);
    std::vector<char *> argp;
    for (std::string &arg : args) argp.push_back(arg.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    int error = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (error != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const fs::path base =
        fs::temp_directory_path() / ("loxen-launch-bench-" + std::to_string(getpid()));
    const fs::path root = base / "opt";
    const fs::path home = base / "home";
    fs::create_directories(home);
    fs::copy(LOXEN_LAUNCHER_TREE, root,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    std::ofstream(base / "start-stop") << kNoOpStartScript;
    fs::permissions(base / "start-stop", fs::perms::owner_all);
    const std::string package = std::string(LOXEN_SOURCE_DIR) +
                                "/scripts/make-package --start-stop '" +
                                (base / "start-stop").string() + "' 121 '" + root.string() + "'";
    if (std::system(package.c_str()) != 0) {
        std::fprintf(stderr, "launch_bench: cannot build the package\n");
        return 1;
    }

    const std::vector<std::string> env = {"HOME=" + home.string(), "QT_QPA_PLATFORM=offscreen"};
    const std::vector<std::string> launcher = {(root / "bin/loxen-launcher").string()};
    const std::string start_stop =
        (home / ".BrenthorLoxen/BrenthorLoxen.app/package/start-stop").string();
    const std::vector<std::string> bare = {LOXEN_BASELINE_BIN, start_stop};
    const std::vector<std::string> baseline = {LOXEN_BASELINE_BIN, start_stop, "--dialog"};
    // The first run installs the per-user copy; every timed run finds it up to date.
    if (TimedRun(launcher, env) < 0) {
        std::fprintf(stderr, "launch_bench: the first launcher run failed\n");
        return 1;
    }

    std::vector<double> launcher_ms, bare_ms, baseline_ms;
    for (int i = 0; i < runs; ++i) {
        launcher_ms.push_back(TimedRun(launcher, env));
        bare_ms.push_back(TimedRun(bare, env));
        baseline_ms.push_back(TimedRun(baseline, env));
        if (launcher_ms.back() < 0 || bare_ms.back() < 0 || baseline_ms.back() < 0) {
            std::fprintf(stderr, "launch_bench: a run failed\n");
            return 1;
        }
    }
    fs::remove_all(base);

    const double launcher_median = Median(launcher_ms);
    const double bare_median = Median(bare_ms);
    const double baseline_median = Median(baseline_ms);
    std::printf("up-to-date launcher run: median %.1f ms over %d runs\n", launcher_median, runs);
    std::printf("bare application:        median %.1f ms over %d runs\n", bare_median, runs);
    std::printf("application + dialog:    median %.1f ms over %d runs\n", baseline_median, runs);
    std::printf("ratio launcher/bare:     %.2f (target <= 1.10)\n", launcher_median / bare_median);
    std::printf("ratio launcher/dialog:   %.2f\n", launcher_median / baseline_median);
    return 0;
}
