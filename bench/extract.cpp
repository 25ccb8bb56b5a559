// Times Extractor::Extract on a generated package against the archiver on the same file: its
// own two passes (list, then extract), and one lean extraction followed by a flush of the file
// system, which is what the launcher's replacement costs (it flushes after extracting). Then
// prints the peak memory of an extraction, in a process of its own, for two package sizes.
//
//   bench/extract [--many-small] [runs]
//     --many-small   60 000 files of 64 B to 4 KiB instead of 3 000 files making 150 MB
//     runs           runs per side, 5 by default
//   bench/extract --xattr-heavy
//     peak memory for 6 000 empty files, each with a 200 KB extended attribute (pax, gzip)
//   bench/extract --failure
//     time from a failure in the second entry to the end of Extract, on a package of 600 MB
//   bench/extract --check PACKAGE
//     time of the check an update runs before the client is stopped, with its verdict

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "bench/package-maker.h"
#include "extractor/extractor.h"
#include "texts/notify_adapter.h"
#include "texts/strtable.h"

namespace fs = std::filesystem;

namespace {

using bench::PaxWriter;

struct Timing {
    double wall;
    double cpu;  // user and system time of this process and of waited-for children
};

double CpuSeconds() {
    double total = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval &t : {usage.ru_utime, usage.ru_stime})
            total += t.tv_sec + t.tv_usec / 1e6;
    }
    return total;
}

Timing Measure(const std::function<bool()> &work) {
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (!work())
        return {-1, -1};
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {wall, CpuSeconds() - cpu_start};
}

// A new output folder for every run. Earlier outputs stay until the end: ext4 searches longer
// for free inodes next to ones deleted seconds ago, which would charge one side's clean-up to
// the other side's run. Nothing of the previous run is left to write back.
fs::path FreshOutput(const fs::path &work, int run, const char *side) {
    const fs::path out = work / (std::string("out-") + side + "-" + std::to_string(run));
    fs::create_directories(out);
    sync();
    return out;
}

// Flushes the file system that holds dir, as the launcher does after extracting.
bool FlushFileSystem(const fs::path &dir) {
    const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool ok = fd >= 0 && syncfs(fd) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}

struct Summary {
    double median, low, high;
};

Summary Summarize(const std::vector<Timing> &runs, double Timing::*field) {
    std::vector<double> values;
    for (const Timing &run : runs) values.push_back(run.*field);
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    const double median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    return {median, values.front(), values.back()};
}

void PrintSide(const char *name, const std::vector<Timing> &runs) {
    const Summary wall = Summarize(runs, &Timing::wall), cpu = Summarize(runs, &Timing::cpu);
    std::printf("median %-28s %.3f s (%.3f to %.3f), cpu %.3f s\n", name, wall.median, wall.low,
                wall.high, cpu.median);
}

int ExtractPackage(const std::string &package, const std::string &target) {
    Extractor extractor;
    extractor.SetSource(package.c_str());
    extractor.SetTarget(target.c_str());
    return extractor.Extract();
}

// Peak resident memory in MB of one extraction in a fresh process (this program, re-run with
// --extract-child), so that nothing of the generator or of earlier runs is counted.
double PeakMemory(const fs::path &package, const fs::path &out) {
    const bench::ProgramRun run =
        bench::RunProgram({"/proc/self/exe", "--extract-child", package.string(), out.string()});
    return run.ok ? run.peak_mb : -1;
}

// 6 000 empty files, each with a 200 KB extended attribute: small on disk, heavy in headers.
int XattrHeavy(const fs::path &work) {
    const fs::path package = work / "xattr.qar";
    PaxWriter writer(package);
    const std::string value(200 << 10, 'x');
    for (int i = 0; i < 6000; ++i) writer.Add("file" + std::to_string(i), "", value);
    if (!writer.Close())
        return 1;
    std::printf("xattr-heavy package: 6000 empty files with a 200 KB attribute each, %.1f MB\n",
                fs::file_size(package) / 1e6);
    std::printf("peak memory of one extraction: %.1f MB\n", PeakMemory(package, work / "out"));
    return 0;
}

// A first entry, a second one that climbs out of the target, then 600 MB of text files.
int FailureTime(const fs::path &work) {
    const fs::path package = work / "failing.qar";
    {
        PaxWriter writer(package);
        writer.Add("first", "1");
        writer.Add("../escaped", "2");
        bench::Rng rng(7);
        bench::TextSource source(rng);
        const std::string text = source.Text(1 << 20);
        for (int i = 0; i < 600; ++i) writer.Add("file" + std::to_string(i), text);
        if (!writer.Close())
            return 1;
    }
    std::printf("failing package: 602 entries, 600 MB unpacked, %.1f MB gzip-compressed tar\n",
                fs::file_size(package) / 1e6);
    for (int run = 1; run <= 3; ++run) {
        const fs::path out = work / ("out" + std::to_string(run));
        const Timing timing = Measure([&] { return ExtractPackage(package, out) != 0; });
        std::printf("run %d: Extract failed after %.3f s (target < 1 s)\n", run, timing.wall);
    }
    return 0;
}

// The check of a given package, as an update runs it before the client is stopped.
int CheckTime(const char *package, const fs::path &work) {
    Extractor checker;
    checker.SetSource(package);
    checker.SetTarget((work / "app").c_str());
    PackageExtractor::CheckResult result;
    const Timing timing = Measure([&] {
        checker.Check(result);
        return true;
    });
    std::printf("check of %s: verdict %d (%s), %lld entries, %lld bytes, %.3f s\n", package,
                static_cast<int>(result.verdict), result.reason, result.entries, result.bytes,
                timing.wall);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    StrTable::InitStrTable();
    if (argc == 4 && std::string(argv[1]) == "--extract-child")
        return ExtractPackage(argv[2], argv[3]) == 0 ? 0 : 1;
    const std::string mode = argc > 1 ? argv[1] : "";
    const bool many_small = mode == "--many-small";
    const bench::Shape shape = many_small ? bench::kManySmall : bench::kMixed;
    const int runs = argc > 1 + many_small ? std::max(1, std::atoi(argv[1 + many_small])) : 5;

    // Progress goes to the dialog by queued calls; keep that cost in the measurement.
    int steps = 0;
    QObject receiver;
    QObject::connect(
        Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateProgress, &receiver,
        [&steps](int, int) { ++steps; }, Qt::QueuedConnection);

    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/loxen-bench-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work(pattern), package = work / "nimbrel.qar";
    fs::path out;
    if (argc == 3 && mode == "--check")
        return CheckTime(argv[2], fs::temp_directory_path());
    if (mode == "--xattr-heavy" || mode == "--failure") {
        const int status = mode == "--failure" ? FailureTime(work) : XattrHeavy(work);
        fs::remove_all(work);
        return status;
    }

    std::printf("generating the package in %s ...\n", work.c_str());
    const size_t bytes = bench::MakePackage(work, shape, package);
    if (bytes == 0) {
        std::fprintf(stderr, "bsdtar could not build the package\n");
        return 1;
    }
    std::printf("package: %d files, %.1f MB unpacked, %.1f MB gzip-compressed tar\n", shape.Files(),
                bytes / 1e6, fs::file_size(package) / 1e6);

    const std::function<bool()> ours = [&] {
        return ExtractPackage(package.string(), out.string()) == 0;
    };
    const std::function<bool()> flush = [&] { return FlushFileSystem(out); };
    const std::function<bool()> two_passes = [&] {
        return bench::RunProgram({"bsdtar", "-tf", package.string()}).ok &&
               bench::RunProgram({"bsdtar", "-xf", package.string(), "-C", out.string()}).ok;
    };
    const std::function<bool()> durable = [&] {
        return bench::RunProgram({"bsdtar", "-x", "-m", "--no-same-owner", "--no-same-permissions",
                                  "--no-acls", "--no-xattrs", "--no-fflags", "-f", package.string(),
                                  "-C", out.string()})
                   .ok &&
               bench::RunProgram({"sync", "-f", out.string()}).ok;
    };

    // An untimed extraction first: the first run after generating the package was far slower
    // than the others, which would charge the machine's settling to one side.
    out = FreshOutput(work, 0, "warm-up");
    if (!durable()) {
        std::fprintf(stderr, "bsdtar could not extract the package\n");
        return 1;
    }

    // ours: Extract alone; ours_durable: Extract and the flush after it.
    std::vector<Timing> ours_runs, ours_durable_runs, two_pass_runs, durable_runs;
    const char *names[] = {"extract", "tf-xf", "xf-sync"};
    for (int run = 0; run < runs; ++run) {
        // Rotate which side goes first so that drift in the machine hits all alike.
        for (int turn = 0; turn < 3; ++turn) {
            const int side = (turn + run) % 3;
            out = FreshOutput(work, run, names[side]);
            Timing timing{};
            if (side == 0) {
                timing = Measure(ours);
                const Timing flushed = Measure(flush);
                ours_runs.push_back(timing);
                ours_durable_runs.push_back({timing.wall + flushed.wall, timing.cpu + flushed.cpu});
                if (flushed.wall < 0)
                    timing.wall = -1;
            } else {
                timing = Measure(side == 1 ? two_passes : durable);
                (side == 1 ? two_pass_runs : durable_runs).push_back(timing);
            }
            app.processEvents();
            if (timing.wall < 0) {
                std::fprintf(stderr, "a timed run failed\n");
                fs::remove_all(work);
                return 1;
            }
        }
        std::printf(
            "run %d: Extract %.3f s (+ syncfs %.3f s), bsdtar -tf + -xf %.3f s, "
            "lean bsdtar -x + sync -f %.3f s\n",
            run + 1, ours_runs.back().wall, ours_durable_runs.back().wall,
            two_pass_runs.back().wall, durable_runs.back().wall);
    }

    Extractor checker;
    checker.SetSource(package.string().c_str());
    checker.SetTarget(out.string().c_str());
    PackageExtractor::CheckResult checked;
    checker.Check(checked);
    std::printf("progress steps delivered: %d (expected %lld)\n", steps, runs * checked.entries);
    PrintSide("Extract:", ours_runs);
    PrintSide("Extract + syncfs:", ours_durable_runs);
    PrintSide("bsdtar -tf + -xf:", two_pass_runs);
    PrintSide("lean bsdtar -x + sync -f:", durable_runs);
    const auto wall = [](const std::vector<Timing> &side) {
        return Summarize(side, &Timing::wall).median;
    };
    const auto cpu = [](const std::vector<Timing> &side) {
        return Summarize(side, &Timing::cpu).median;
    };
    std::printf("ratio Extract / bsdtar -tf + -xf: %.3f (target <= 1.10), cpu ratio: %.3f\n",
                wall(ours_runs) / wall(two_pass_runs), cpu(ours_runs) / cpu(two_pass_runs));
    // The launcher flushes after extracting, so the flushed ratio is the one that counts.
    std::vector<Timing> paired;  // the ratio within each run, where both met the same load
    for (size_t i = 0; i < durable_runs.size(); ++i)
        paired.push_back({ours_durable_runs[i].wall / durable_runs[i].wall, 0});
    const Summary per_run = Summarize(paired, &Timing::wall);
    std::printf(
        "ratio Extract + syncfs / lean bsdtar -x + sync -f: %.3f, per run %.3f (%.3f to %.3f) "
        "(target <= %.2f)\n",
        wall(ours_durable_runs) / wall(durable_runs), per_run.median, per_run.low, per_run.high,
        many_small ? 1.0 : 0.85);
    std::printf("ratio Extract alone / lean bsdtar -x + sync -f: %.3f (our flush left out)\n",
                wall(ours_runs) / wall(durable_runs));

    // The same shape at a quarter of the files, then the full package again.
    const fs::path quarter = work / "quarter.qar";
    const size_t quarter_bytes = bench::MakePackage(work, shape.Quarter(), quarter);
    const double quarter_peak = PeakMemory(quarter, work / "peak-quarter");
    const double full_peak = PeakMemory(package, work / "peak-full");
    std::printf(
        "peak memory of one extraction: %.1f MB for %.1f MB unpacked, %.1f MB for %.1f MB "
        "unpacked\n",
        quarter_peak, quarter_bytes / 1e6, full_peak, bytes / 1e6);
    fs::remove_all(work);
    return 0;
}
