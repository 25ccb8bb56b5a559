// What the user waits for when the launcher unpacks: the client's downtime during an update
// (from the SIGTERM the old client receives to the start of the new one, both recorded by the
// timing client), a first install, and the refusal of a package whose second entry climbs out
// of the target, offered over a running client. Every side reads the same package, taking turns
// with the lean archiver on the same file system.
#include "bench/launch/update_bench.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/launch/bench_sandbox.h"
#include "bench/measure.h"
#include "bench/package-maker.h"

namespace fs = std::filesystem;

namespace {

constexpr bench::Shape kOldCopy{10000, 64, 4 << 10, 0, 0};  // 10 000 small files
const std::vector<std::string> kPackageEntries = {"INFO", "bin", "package", "share"};

bool Failed(const char *what) {
    std::fprintf(stderr, "launch_bench: %s\n", what);
    return false;
}

struct Side {
    std::vector<double> seconds;
    double peak_mb = 0;

    void Add(const bench::ProgramRun &run, double value) {
        seconds.push_back(value);
        peak_mb = std::max(peak_mb, run.peak_mb);
    }
    double Median() const { return bench::Median(seconds); }
};

// The client's own files in stage: INFO of build, the timing client, the start script.
void StageClient(const fs::path &stage, const std::string &build, const fs::path &start_stop) {
    fs::create_directories(stage / "bin");
    fs::create_directories(stage / "package");
    WriteInfo(stage / "INFO", build);
    fs::copy_file(LOXEN_CLIENT_BIN, stage / "bin/cloud-loxen-ui",
                  fs::copy_options::overwrite_existing);
    fs::copy_file(start_stop, stage / "package/start-stop", fs::copy_options::overwrite_existing);
    fs::permissions(stage / "package/start-stop", fs::perms::owner_all, fs::perm_options::add);
}

// Makes root an installation of build whose package holds the staged tree.
bool Offer(const fs::path &stage, const fs::path &root, const std::string &build) {
    WriteInfo(root / "INFO", build);
    return bench::PackTree(stage, kPackageEntries, root / "package/nimbrel.qar");
}

// A first entry, a second one that climbs out of the target, then text files until the xz
// compressed package holds about megabytes MB. Returns the bytes of its files, 0 on failure.
long long MakeHostilePackage(const fs::path &package, int megabytes) {
    bench::PaxWriter writer(package, ARCHIVE_FILTER_XZ);
    writer.Add("INFO", "[Version]\n");
    writer.Add("../x", "x");
    bench::Rng rng(11);
    bench::TextSource source(rng);
    // Farther apart than the compressor's window, so that each file costs what fresh text does.
    std::vector<std::string> texts;
    for (int i = 0; i < 8; ++i) texts.push_back(source.Text(1 << 20));
    long long bytes = 0;
    for (size_t i = 0; writer.Written() < megabytes * 1000000LL; ++i) {
        writer.Add("file" + std::to_string(i), texts[i % texts.size()]);
        bytes += static_cast<long long>(texts[i % texts.size()].size());
    }
    return writer.Close() ? bytes : 0;
}

// Puts the old copy in place with its client running and nothing left of earlier runs.
bool PrepareUpdate(const BenchSandbox &box, const fs::path &old_copy) {
    box.EndClient();
    fs::remove_all(box.user_root());
    fs::create_directories(box.user_root());
    fs::copy(old_copy, box.user_root() / "BrenthorLoxen.app",
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    sync();
    if (!box.StartClient())
        return false;
    fs::remove(box.home() / "client-events");
    return true;
}

// No copy at all, and no client.
void PrepareFirstInstall(const BenchSandbox &box) {
    box.EndClient();
    fs::remove_all(box.user_root());
    sync();
}

// From the old client's SIGTERM to the new client's start in seconds; -1 when either is missing.
double Downtime(const fs::path &events) {
    std::ifstream in(events);
    std::string what;
    long long ns = 0, term = -1, start = -1;
    while (in >> what >> ns) {
        if (what == "term" && term < 0)
            term = ns;
        else if (what == "start" && term >= 0 && start < 0)
            start = ns;
    }
    return term >= 0 && start >= 0 ? (start - term) / 1e9 : -1;
}

// The lean extraction the launcher is held against, flushed as the launcher flushes.
bench::ProgramRun LeanExtraction(const fs::path &package, const fs::path &out) {
    fs::remove_all(out);
    fs::create_directories(out);
    sync();
    const bench::ProgramRun extract = bench::RunProgram(
        {"bsdtar", "-x", "-m", "--no-same-owner", "--no-same-permissions", "--no-acls",
         "--no-xattrs", "--no-fflags", "-f", package.string(), "-C", out.string()});
    const bench::ProgramRun flush = bench::RunProgram({"sync", "-f", out.string()});
    return {extract.ok && flush.ok, extract.seconds + flush.seconds,
            std::max(extract.peak_mb, flush.peak_mb)};
}

struct Roots {
    fs::path update, install, hostile;
    fs::path old_copy;  // the per-user copy of build 120, kept aside
};

bool SetUp(const BenchSandbox &box, int hostile_megabytes, Roots &roots) {
    const fs::path stage = box.base() / "stage";
    const fs::path sample_start = fs::path(LOXEN_SOURCE_DIR) / "scripts/sample-client/start-stop";
    const fs::path no_op_start = box.base() / "no-op-start-stop";
    WriteNoOpStartScript(no_op_start);

    std::printf("installing build 120 with %d small files ...\n", kOldCopy.Files());
    StageClient(stage, "120", sample_start);
    bench::GenerateTree(stage / "share", kOldCopy);
    const fs::path old_root = box.AddInstallation("opt-120");
    if (!Offer(stage, old_root, "120") || !box.RunLauncher(old_root).ok)
        return false;
    box.EndClient();
    roots.old_copy = box.base() / "copy-120";
    fs::rename(box.user_root() / "BrenthorLoxen.app", roots.old_copy);
    fs::remove_all(stage);

    StageClient(stage, "121", sample_start);
    const size_t bytes = bench::GenerateTree(stage / "share", bench::kMixed);
    roots.update = box.AddInstallation("opt-update");
    roots.install = box.AddInstallation("opt-install");
    if (!Offer(stage, roots.update, "121"))
        return false;
    StageClient(stage, "121", no_op_start);
    if (!Offer(stage, roots.install, "121"))
        return false;
    fs::remove_all(stage);
    std::printf("package of build 121: %d files, %.1f MB unpacked, %.1f MB gzip-compressed tar\n",
                bench::kMixed.Files() + 3, bytes / 1e6,
                fs::file_size(roots.update / "package/nimbrel.qar") / 1e6);

    if (hostile_megabytes <= 0)
        return true;
    roots.hostile = box.AddInstallation("opt-hostile");
    WriteInfo(roots.hostile / "INFO", "122");
    const fs::path hostile = roots.hostile / "package/nimbrel.qar";
    const long long hostile_bytes = MakeHostilePackage(hostile, hostile_megabytes);
    if (hostile_bytes == 0)
        return false;
    std::printf(
        "hostile package of build 122: second entry '../x', %.1f MB unpacked, %.1f MB "
        "xz-compressed tar\n",
        hostile_bytes / 1e6, fs::file_size(hostile) / 1e6);
    return true;
}

void PrintComparison(const char *what, const Side &ours, const Side &lean) {
    std::printf("%s: median %.3f s over %zu runs (%.3f to %.3f)\n", what, ours.Median(),
                ours.seconds.size(), *std::min_element(ours.seconds.begin(), ours.seconds.end()),
                *std::max_element(ours.seconds.begin(), ours.seconds.end()));
    std::printf("  lean bsdtar -x + sync -f: median %.3f s\n", lean.Median());
    std::printf("  ratio: %.2f (target <= 0.75)\n", ours.Median() / lean.Median());
}

// Each round times one side after the other, the side that goes first alternating.
bool TimeUpdates(const BenchSandbox &box, const Roots &roots, int runs) {
    const fs::path package = roots.update / "package/nimbrel.qar";
    Side downtime, whole_run, lean;
    for (int round = 0; round < runs; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                if (!PrepareUpdate(box, roots.old_copy))
                    return Failed("the old copy's client did not start");
                const bench::ProgramRun run = box.RunLauncher(roots.update);
                const bool started = box.WaitForClient() != 0;
                const double down = Downtime(box.home() / "client-events");
                if (!run.ok || !started || down < 0)
                    return Failed("the update did not end with a new client running");
                downtime.Add(run, down);
                whole_run.Add(run, run.seconds);
            } else {
                const bench::ProgramRun run = LeanExtraction(package, box.base() / "lean-out");
                if (!run.ok)
                    return Failed("the lean extraction failed");
                lean.Add(run, run.seconds);
            }
        }
        std::printf("update %d: client down %.3f s, launcher run %.3f s; lean %.3f s\n", round + 1,
                    downtime.seconds.back(), whole_run.seconds.back(), lean.seconds.back());
    }
    PrintComparison("client downtime during an update", downtime, lean);
    std::printf("  whole launcher run: median %.3f s; peak memory %.1f MB\n", whole_run.Median(),
                whole_run.peak_mb);
    return true;
}

bool TimeFirstInstalls(const BenchSandbox &box, const Roots &roots, int runs) {
    const fs::path package = roots.install / "package/nimbrel.qar";
    Side ours, lean;
    for (int round = 0; round < runs; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                PrepareFirstInstall(box);
                const bench::ProgramRun run = box.RunLauncher(roots.install);
                if (!run.ok || !fs::exists(box.user_root() / "BrenthorLoxen.app/INFO"))
                    return Failed("the first install left no copy");
                ours.Add(run, run.seconds);
            } else {
                const bench::ProgramRun run = LeanExtraction(package, box.base() / "lean-out");
                if (!run.ok)
                    return Failed("the lean extraction failed");
                lean.Add(run, run.seconds);
            }
        }
        std::printf("first install %d: launcher %.3f s; lean %.3f s\n", round + 1,
                    ours.seconds.back(), lean.seconds.back());
    }
    PrintComparison("first install, whole launcher run", ours, lean);
    std::printf("  peak memory %.1f MB\n", ours.peak_mb);
    return true;
}

bool TimeHostile(const BenchSandbox &box, const Roots &roots, int runs) {
    Side ours;
    for (int round = 0; round < runs; ++round) {
        if (!PrepareUpdate(box, roots.old_copy))
            return Failed("the old copy's client did not start");
        const pid_t before = box.RunningClient();
        const bench::ProgramRun run = box.RunLauncher(roots.hostile);
        const pid_t after = box.WaitForClient();
        const bool signalled = fs::exists(box.home() / "client-events");
        ours.Add(run, run.seconds);
        std::printf(
            "hostile %d: launcher run %.3f s (target <= 3 s), exit %s, client untouched: %s "
            "(pid %d before, %d after%s)\n",
            round + 1, run.seconds, run.ok ? "0" : "not 0",
            before == after && !signalled ? "yes" : "no", static_cast<int>(before),
            static_cast<int>(after), signalled ? ", it was sent SIGTERM" : "");
    }
    std::printf("hostile package: median %.3f s; peak memory %.1f MB\n", ours.Median(),
                ours.peak_mb);
    return true;
}

}  // namespace

int RunUpdateBenchmark(int runs, int hostile_megabytes) {
    std::printf("load average at the start: %s\n", bench::LoadAverage().c_str());
    BenchSandbox box;
    Roots roots;
    if (!box.ok() || !SetUp(box, hostile_megabytes, roots)) {
        std::fprintf(stderr, "launch_bench: cannot set up the packages\n");
        return 1;
    }
    // An untimed extraction of each package first: the first after writing one is the slowest.
    for (const fs::path &root : {roots.update, roots.install})
        LeanExtraction(root / "package/nimbrel.qar", box.base() / "lean-out");
    if (!TimeUpdates(box, roots, runs) || !TimeFirstInstalls(box, roots, runs) ||
        (hostile_megabytes > 0 && !TimeHostile(box, roots, std::max(1, runs / 3)))) {
        std::fprintf(stderr, "launch_bench: a run failed\n");
        return 1;
    }
    std::printf("peak memory target: <= 64 MB\n");
    std::printf("load average at the end: %s\n", bench::LoadAverage().c_str());
    return 0;
}
