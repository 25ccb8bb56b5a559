// Times Extractor::Extract on a generated package against the archiver's own two passes
// over the same file (list, then extract), and prints both medians and their ratio.
//
//   bench/extract [runs]        runs per side, 5 by default

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "extractor/extractor.h"
#include "texts/notify_adapter.h"
#include "texts/strtable.h"

extern char **environ;

namespace fs = std::filesystem;

namespace {

constexpr int kSmallFiles = 2400;  // 256 B to 32 KiB
constexpr int kMediumFiles = 540;  // 32 KiB to 512 KiB
constexpr int kLargeFiles = 60;    // 256 KiB to 1 MiB, the bulk of the bytes
constexpr int kTopFolders = 5;
constexpr int kSubFolders = 4;
constexpr int kFolderDepth = 3;

using Rng = std::mt19937_64;

// Word-like text from a fixed vocabulary: compresses like source or config files do.
class TextSource {
public:
    explicit TextSource(Rng &rng) : rng_(rng) {
        std::uniform_int_distribution<int> length(2, 10), letter('a', 'z');
        for (int i = 0; i < 2000; ++i) {
            std::string word(static_cast<size_t>(length(rng_)), 'a');
            for (char &c : word) c = static_cast<char>(letter(rng_));
            words_.push_back(word);
        }
    }

    std::string Text(size_t size) {
        std::string out;
        out.reserve(size + 16);
        std::uniform_int_distribution<size_t> pick(0, words_.size() - 1);
        std::uniform_int_distribution<int> line_words(4, 14), number(0, 15);
        while (out.size() < size) {
            for (int n = line_words(rng_); n > 0; --n) {
                out += words_[pick(rng_)];
                out += number(rng_) == 0 ? " 0x" + std::to_string(rng_() % 65536) + " " : " ";
            }
            out.back() = '\n';
        }
        out.resize(size);
        return out;
    }

    // Bytes of a small alphabet with runs, like tables or images without compression.
    std::string Binary(size_t size) {
        std::string out;
        out.reserve(size);
        std::uniform_int_distribution<int> byte(0, 63), run(1, 8);
        while (out.size() < size)
            out.append(static_cast<size_t>(run(rng_)), static_cast<char>(byte(rng_)));
        out.resize(size);
        return out;
    }

private:
    Rng &rng_;
    std::vector<std::string> words_;
};

size_t LogUniform(Rng &rng, double low, double high) {
    std::uniform_real_distribution<double> exponent(std::log(low), std::log(high));
    return static_cast<size_t>(std::exp(exponent(rng)));
}

std::vector<fs::path> MakeFolders(const fs::path &root) {
    std::vector<fs::path> folders{root};
    std::function<void(const fs::path &, int, int)> grow = [&](const fs::path &at, int depth,
                                                               int children) {
        for (int i = 0; i < children; ++i) {
            fs::path child = at / ("folder" + std::to_string(depth) + "_" + std::to_string(i));
            fs::create_directories(child);
            folders.push_back(child);
            if (depth + 1 < kFolderDepth)
                grow(child, depth + 1, kSubFolders);
        }
    };
    grow(root, 0, kTopFolders);
    return folders;
}

std::vector<size_t> FileSizes(Rng &rng) {
    std::vector<size_t> sizes;
    for (int i = 0; i < kSmallFiles; ++i) sizes.push_back(LogUniform(rng, 256, 32 << 10));
    for (int i = 0; i < kMediumFiles; ++i) sizes.push_back(LogUniform(rng, 32 << 10, 512 << 10));
    std::uniform_int_distribution<size_t> large(256 << 10, 1 << 20);
    for (int i = 0; i < kLargeFiles; ++i) sizes.push_back(large(rng));
    std::shuffle(sizes.begin(), sizes.end(), rng);
    return sizes;
}

// Writes the tree; returns the number of bytes in its files.
size_t GenerateTree(const fs::path &root) {
    Rng rng(20240601);
    TextSource source(rng);
    const std::vector<fs::path> folders = MakeFolders(root);
    std::uniform_int_distribution<size_t> folder(0, folders.size() - 1);
    size_t total = 0, index = 0;
    for (size_t size : FileSizes(rng)) {
        const bool binary = index % 10 == 0;
        const fs::path file =
            folders[folder(rng)] / ("file" + std::to_string(index++) + (binary ? ".dat" : ".txt"));
        std::ofstream(file, std::ios::binary) << (binary ? source.Binary(size) : source.Text(size));
        total += size;
    }
    return total;
}

// Runs a program without a shell, its standard output sent to /dev/null; true on exit 0.
bool Run(std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) < 0)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

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

double Median(const std::vector<Timing> &runs, double Timing::*field) {
    std::vector<double> values;
    for (const Timing &run : runs) values.push_back(run.*field);
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    StrTable::InitStrTable();

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
    const fs::path work(pattern), tree = work / "tree", package = work / "nimbrel.qar";
    fs::path out;

    std::printf("generating the package in %s ...\n", work.c_str());
    const size_t bytes = GenerateTree(tree);
    if (!Run({"bsdtar", "-czf", package.string(), "-C", tree.string(), "."})) {
        std::fprintf(stderr, "bsdtar could not build the package\n");
        return 1;
    }
    fs::remove_all(tree);
    std::printf("package: %d files, %.1f MB unpacked, %.1f MB gzip-compressed tar\n",
                kSmallFiles + kMediumFiles + kLargeFiles, bytes / 1e6,
                fs::file_size(package) / 1e6);

    const std::function<bool()> ours = [&] {
        Extractor extractor;
        extractor.SetSource(package.string());
        extractor.SetTarget(out.string());
        return extractor.Extract() == 0;
    };
    const std::function<bool()> archiver = [&] {
        return Run({"bsdtar", "-tf", package.string()}) &&
               Run({"bsdtar", "-xf", package.string(), "-C", out.string()});
    };

    std::vector<Timing> ours_runs, archiver_runs;
    for (int run = 0; run < runs; ++run) {
        // Alternate which side goes first so that drift in the machine hits both alike.
        for (int side = 0; side < 2; ++side) {
            const bool ours_now = (side + run) % 2 == 0;
            out = FreshOutput(work, run, ours_now ? "extract" : "bsdtar");
            std::vector<Timing> &runs_of_side = ours_now ? ours_runs : archiver_runs;
            runs_of_side.push_back(Measure(ours_now ? ours : archiver));
            app.processEvents();
            if (runs_of_side.back().wall < 0) {
                std::fprintf(stderr, "a timed run failed\n");
                fs::remove_all(work);
                return 1;
            }
        }
        std::printf("run %d: Extract %.3f s (cpu %.3f s), bsdtar -tf + -xf %.3f s (cpu %.3f s)\n",
                    run + 1, ours_runs.back().wall, ours_runs.back().cpu, archiver_runs.back().wall,
                    archiver_runs.back().cpu);
    }
    fs::remove_all(work);

    std::printf("progress steps delivered: %d\n", steps);
    const double ours_wall = Median(ours_runs, &Timing::wall);
    const double archiver_wall = Median(archiver_runs, &Timing::wall);
    const double ours_cpu = Median(ours_runs, &Timing::cpu);
    const double archiver_cpu = Median(archiver_runs, &Timing::cpu);
    std::printf("median Extract: %.3f s (cpu %.3f s)\n", ours_wall, ours_cpu);
    std::printf("median bsdtar -tf + -xf: %.3f s (cpu %.3f s)\n", archiver_wall, archiver_cpu);
    std::printf("ratio: %.3f (target <= 1.10), cpu ratio: %.3f\n", ours_wall / archiver_wall,
                ours_cpu / archiver_cpu);
    return 0;
}
