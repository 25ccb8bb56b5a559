// Times an up-to-date run of the installed launcher against a minimal program that builds an
// application object and a progress dialog and runs the same start script, over the sample
// client's copy and over a copy of 3 000 files; with --update, what the user waits for when the
// launcher unpacks (update_bench.cpp).
//
//   launch_bench [RUNS]                          (RUNS defaults to 15)
//   launch_bench --update [RUNS [HOSTILE_MB]]    (3 runs, a 325 MB hostile package; 0 skips it)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
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

// Up-to-date runs over a per-user copy of the sample client and `filler` more files (the run
// holds every file of the copy to the record of what was installed).
int MeasureUpToDate(int runs, int filler) {
    BenchSandbox box;
    if (!box.ok())
        return 1;
    const fs::path root = box.AddInstallation("opt");
    const fs::path start_stop = box.base() / "start-stop";
    WriteNoOpStartScript(start_stop);
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
    const std::vector<std::string> bare = {LOXEN_BASELINE_BIN, copy_start_stop};
    const std::vector<std::string> baseline = {LOXEN_BASELINE_BIN, copy_start_stop, "--dialog"};
    // The first run installs the per-user copy; every timed run finds it up to date.
    if (!box.RunLauncher(root).ok) {
        std::fprintf(stderr, "launch_bench: the first launcher run failed\n");
        return 1;
    }

    std::vector<double> launcher_ms, bare_ms, baseline_ms;
    for (int i = 0; i < runs; ++i) {
        const bench::ProgramRun launcher = box.RunLauncher(root);
        const bench::ProgramRun bare_run = bench::RunProgram(bare, env);
        const bench::ProgramRun baseline_run = bench::RunProgram(baseline, env);
        if (!launcher.ok || !bare_run.ok || !baseline_run.ok) {
            std::fprintf(stderr, "launch_bench: a run failed\n");
            return 1;
        }
        launcher_ms.push_back(launcher.seconds * 1000);
        bare_ms.push_back(bare_run.seconds * 1000);
        baseline_ms.push_back(baseline_run.seconds * 1000);
    }

    const double launcher_median = bench::Median(launcher_ms);
    const double bare_median = bench::Median(bare_ms);
    const double baseline_median = bench::Median(baseline_ms);
    std::printf("per-user copy of %d files\n", filler + kSampleFiles);
    std::printf("up-to-date launcher run: median %.1f ms over %d runs\n", launcher_median, runs);
    std::printf("bare application:        median %.1f ms over %d runs\n", bare_median, runs);
    std::printf("application + dialog:    median %.1f ms over %d runs\n", baseline_median, runs);
    std::printf("ratio launcher/bare:     %.2f (target <= 1.10)\n", launcher_median / bare_median);
    std::printf("ratio launcher/dialog:   %.2f\n", launcher_median / baseline_median);
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
