// Times an up-to-date run of the installed launcher against a minimal program that builds an
// application object and a progress dialog and runs the same start script, over the sample
// client's copy and over a copy of 3 000 files: the whole run, and the time until the start
// script ran; with --update, what the user waits for when the launcher unpacks
// (update_bench.cpp).
//
//   launch_bench [RUNS]                          (RUNS defaults to 15)
//   launch_bench --update [RUNS [HOSTILE_MB]]    (3 runs, a 325 MB hostile package; 0 skips it)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/launch/bench_sandbox.h"
#include "bench/launch/update_bench.h"
#include "bench/measure.h"

namespace fs = std::filesystem;

namespace {

// The sample client's files (INFO, its executable and its start script), and the size of the
// larger copy.
constexpr int kSampleFiles = 3;
constexpr int kManyFiles = 3000;

int ArgumentOr(int argc, char **argv, int index, int fallback) {
    return argc > index ? std::max(0, std::atoi(argv[index])) : fallback;
}

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Milliseconds from since_ns until the start script last ran (it records when, in the home);
// -1 when it has not run since.
double MsUntilStartScript(const BenchSandbox &box, long long since_ns) {
    std::ifstream events(box.home() / "start-events");
    long long last = -1;
    for (long long ns = 0; events >> ns;) last = ns;
    return last < since_ns ? -1 : static_cast<double>(last - since_ns) / 1e6;
}

// One program's runs: the whole run, and the time until it ran the start script, when a client
// would start.
class Times {
public:
    bool Add(const BenchSandbox &box, const std::function<bench::ProgramRun()> &run) {
        const long long before = MonotonicNs();
        const bench::ProgramRun done = run();
        const double to_start = MsUntilStartScript(box, before);
        whole_ms_.push_back(done.seconds * 1000);
        to_start_ms_.push_back(to_start);
        return done.ok && to_start >= 0;
    }
    double WholeMs() const { return bench::Median(whole_ms_); }
    double ToStartMs() const { return bench::Median(to_start_ms_); }
    void Print(const char *what) const {
        std::printf("%s: %.1f ms, %.1f ms\n", what, WholeMs(), ToStartMs());
    }

private:
    std::vector<double> whole_ms_, to_start_ms_;
};

// Up-to-date runs over a per-user copy of the sample client and `filler` more files (the run
// holds every file of the copy to the record of what was installed).
int MeasureUpToDate(int runs, int filler) {
    BenchSandbox box;
    if (!box.ok())
        return 1;
    const fs::path root = box.AddInstallation("opt");
    const fs::path start_stop = box.base() / "start-stop";
    fs::copy_file(LOXEN_START_MARKER_BIN, start_stop);
    fs::permissions(start_stop, fs::perms::owner_all, fs::perm_options::add);
    const std::string package = std::string(LOXEN_SOURCE_DIR) + "/scripts/make-package --filler " +
                                std::to_string(filler) + " --start-stop '" + start_stop.string() +
                                "' 121 '" + root.string() + "'";
    if (std::system(package.c_str()) != 0) {
        std::fprintf(stderr, "launch_bench: cannot build the package\n");
        return 1;
    }

    const std::vector<std::string> env = box.Environment();
    const std::string copy_start_stop =
        (box.user_root() / "BrenthorLoxen.app/package/start-stop").string();
    const std::vector<std::string> bare_args = {LOXEN_BASELINE_BIN, copy_start_stop};
    const std::vector<std::string> baseline_args = {LOXEN_BASELINE_BIN, copy_start_stop,
                                                    "--dialog"};
    // The first run installs the per-user copy; every timed run finds it up to date.
    if (!box.RunLauncher(root).ok) {
        std::fprintf(stderr, "launch_bench: the first launcher run failed\n");
        return 1;
    }

    Times launcher, bare, baseline;
    for (int i = 0; i < runs; ++i) {
        if (!launcher.Add(box, [&] { return box.RunLauncher(root); }) ||
            !bare.Add(box, [&] { return bench::RunProgram(bare_args, env); }) ||
            !baseline.Add(box, [&] { return bench::RunProgram(baseline_args, env); })) {
            std::fprintf(stderr, "launch_bench: a run failed\n");
            return 1;
        }
    }

    std::printf(
        "per-user copy of %d files; medians over %d runs of the whole run and of the "
        "time until the start script ran\n",
        filler + kSampleFiles, runs);
    launcher.Print("up-to-date launcher run");
    bare.Print("bare application       ");
    baseline.Print("application + dialog   ");
    std::printf("ratio launcher/bare:     %.2f (target <= 1.10); until the start script %.2f\n",
                launcher.WholeMs() / bare.WholeMs(), launcher.ToStartMs() / bare.ToStartMs());
    std::printf("ratio launcher/dialog:   %.2f; until the start script %.2f\n",
                launcher.WholeMs() / baseline.WholeMs(),
                launcher.ToStartMs() / baseline.ToStartMs());
    return 0;
}

int RunUpToDateBenchmark(int runs) {
    for (const int filler : {0, kManyFiles - kSampleFiles})
        if (MeasureUpToDate(runs, filler) != 0)
            return 1;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as it comes, also into a file
    // Caught, so that the sandbox is removed and its client ended on the way out.
    try {
        if (argc > 1 && std::strcmp(argv[1], "--update") == 0)
            return RunUpdateBenchmark(std::max(1, ArgumentOr(argc, argv, 2, 3)),
                                      ArgumentOr(argc, argv, 3, 325));
        return RunUpToDateBenchmark(std::max(1, ArgumentOr(argc, argv, 1, 15)));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "launch_bench: %s\n", error.what());
        return 1;
    }
}
