// Many real launchers on one home: a crowd started at one instant while another one works, and
// the shared log file rotated across runs and across two processes writing it at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/tree_listing.h"

namespace loxtest {
namespace {

const char kBuild[] = "121";
const char kSecondInstance[] = "): app has already launched, return\n";
constexpr int kCrowd = 20;
constexpr long kRotateAt = 5 * 1024 * 1024;

// A start script that counts its runs in "starts" and holds its launcher while the scratch
// directory has "hold", until "release" appears (a minute at most), marking that with "started".
std::string GateScript(const FaultScratch &scratch) {
    const std::string hold = ShellQuote(scratch / "hold");
    const std::string started = ShellQuote(scratch / "started");
    const std::string release = ShellQuote(scratch / "release");
    std::string script = "#!/bin/sh\necho >> " + ShellQuote(scratch / "starts") + "\n";
    script += "[ -e " + hold + " ] || exit 0\n";
    script += "touch " + started + "\n";
    script += "for _ in $(seq 1 1200); do [ -e " + release + " ] && exit 0; sleep 0.05; done\n";
    return script + "exit 1\n";
}

// A sandbox whose package's start script can hold its launcher, at log level 7.
class GatedHome : public FaultCase {
public:
    GatedHome() {
        box.SetAllLevels(7);
        const std::string gate = scratch / "gate-start-stop";
        WriteFile(gate, GateScript(scratch));
        box.MakePackage(kBuild, {"--start-stop", gate});
    }

    std::string LogPath() const { return fake().user_path() + "/log/launcher.log"; }

    std::unique_ptr<ChildProcess> Spawn() const { return box.Spawn(scratch.Env(fake().home())); }
    CapturedRun RunToEnd() const { return LauncherSandbox::Finish(*Spawn()); }

    void Hold() const { WriteFile(scratch / "hold", ""); }
    bool Started() const { return PathExists(scratch / "started"); }
    int Starts() const { return CountOf(ReadIfThere(scratch / "starts"), "\n"); }
    void Release() const { WriteFile(scratch / "release", ""); }
    // Ready for the next held run.
    void Reset() const {
        for (const char *name : {"hold", "started", "release"}) ::unlink((scratch / name).c_str());
    }

    // Starts n launchers that wait at a barrier (each shell says "ready", then reads a line)
    // and lets them all go at once.
    std::vector<std::unique_ptr<ChildProcess>> StartTogether(int n) const {
        std::vector<std::unique_ptr<ChildProcess>> crowd;
        for (int i = 0; i < n; ++i)
            crowd.push_back(std::make_unique<ChildProcess>(
                "/bin/sh",
                std::vector<std::string>{"-c", "echo ready; read _; exec \"$0\"", box.launcher()},
                scratch.Env(fake().home())));
        for (auto &launcher : crowd) EXPECT_EQ(launcher->ReadLine(), "ready");
        for (auto &launcher : crowd) launcher->Write("\n");
        return crowd;
    }

    // The single-instance lock in the per-user root can be taken: nobody holds it.
    bool NoLockHeld() const {
        const int fd = ::open((fake().user_path() + "/launcher.lock").c_str(), O_RDWR | O_CLOEXEC);
        const bool free = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (fd >= 0)
            ::close(fd);
        return free;
    }
};

class LoadTest : public ::testing::Test, protected GatedHome {};

TEST_F(LoadTest, TwentyStartedWhileTheFirstWorksReturnAndOnlyTheFirstRuns) {
    Hold();
    const TreeListing outside = Outside();
    auto first = Spawn();
    ASSERT_TRUE(WaitFor([&] { return Started(); })) << "the first launcher never got to its start";

    auto crowd = StartTogether(kCrowd);
    for (auto &launcher : crowd) EXPECT_EQ(LauncherSandbox::Finish(*launcher).status, 0);
    EXPECT_TRUE(IsAlive(first->pid())) << "the first launcher did not wait for its start script";
    Release();
    EXPECT_EQ(LauncherSandbox::Finish(*first).status, 0);

    EXPECT_EQ(Starts(), 1) << "a second launcher ran";
    EXPECT_EQ(CountOf(box.Log(), kSecondInstance), kCrowd) << box.Log();
    EXPECT_TRUE(NoLockHeld());
    EXPECT_EQ(ListTree(fake().app_path()), PackageTree(fake().package_path()));

    Reset();
    EXPECT_EQ(RunToEnd().status, 0);
    EXPECT_EQ(Starts(), 2) << "the next start did not run";
    EXPECT_EQ(Outside(), outside);
}

TEST_F(LoadTest, TwentyStartedAtOneInstantOnAnIdleHomeRunOnce) {
    Hold();
    const TreeListing outside = Outside();

    auto crowd = StartTogether(kCrowd);
    ASSERT_TRUE(WaitFor([&] { return Started(); })) << "no launcher got to its start";
    auto ended = [&] {
        int count = 0;
        for (auto &launcher : crowd) count += IsAlive(launcher->pid()) ? 0 : 1;
        return count;
    };
    EXPECT_TRUE(WaitFor([&] { return ended() == kCrowd - 1; }))
        << ended() << " of the others returned";
    Release();
    for (auto &launcher : crowd) EXPECT_EQ(LauncherSandbox::Finish(*launcher).status, 0);

    EXPECT_EQ(Starts(), 1) << "more than one launcher ran";
    EXPECT_EQ(CountOf(box.Log(), kSecondInstance), kCrowd - 1) << box.Log();
    EXPECT_TRUE(NoLockHeld());
    EXPECT_EQ(ListTree(fake().app_path()), PackageTree(fake().package_path()));
    EXPECT_EQ(Outside(), outside);
}

// ---- rotation across runs ----------------------------------------------------------------

// Whole lines that stand in for earlier output, so that the threshold falls where a case
// needs it: "filler N xxx...\n" of an exact size.
class Filler {
public:
    explicit Filler(std::string path) : path_(std::move(path)) {}

    // Appends whole lines of bytes in all (at least kMinimum).
    void Append(long bytes) {
        ASSERT_GE(bytes, kMinimum);
        std::string text;
        while (bytes > 0) {
            const long size = bytes >= 2 * kLine ? kLine : bytes;
            std::string line = "filler " + std::to_string(lines_.size()) + " ";
            line += std::string(static_cast<size_t>(size) - line.size() - 1, 'x') + "\n";
            lines_.push_back(line);
            text += line;
            bytes -= size;
        }
        std::ofstream out(path_, std::ios::binary | std::ios::app);
        out << text;
        ASSERT_TRUE(out.good()) << path_;
    }

    const std::vector<std::string> &lines() const { return lines_; }
    static bool IsFiller(const std::string &line) { return line.rfind("filler ", 0) == 0; }

    static constexpr long kMinimum = 32;
    static constexpr long kLine = 200;

private:
    std::string path_;
    std::vector<std::string> lines_;
};

long SizeOf(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

std::vector<std::string> LinesOf(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line + "\n");
    return lines;
}

// A log line without what differs between two sandboxes: time, process and thread ids, the
// temporary root.
std::string Normalized(const std::string &line, const std::string &base) {
    static const std::regex ids(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d \( *\d+: *\d+\) )");
    static const std::regex seconds(R"(\b\d+\.\d+ s\b)");  // durations differ from run to run
    std::string text =
        std::regex_replace(std::regex_replace(line, ids, "(pid:tid) "), seconds, "N s");
    for (size_t at = text.find(base); at != std::string::npos; at = text.find(base, at))
        text.replace(at, base.size(), "<base>");
    return text;
}

// The process id of a log line, 0 for another line.
pid_t PidOf(const std::string &line) {
    const size_t open = line.find(" (");
    return open == std::string::npos ? 0 : static_cast<pid_t>(std::atol(line.c_str() + open + 2));
}

using Roles = std::map<pid_t, std::string>;
using LinesByRole = std::map<std::string, std::vector<std::string>>;

// Room under the threshold that the held run's last line ("done") more than fills.
constexpr long kLastLineRoom = 20;

// The launcher runs of the rotation case, by process id, each expected to end with 0: an
// installing run, a held run that measures its own output up to its start script, a held run
// with a second instance started meanwhile, and two ordinary runs. With a filler, the second
// instance's first line crosses the threshold while the held run still has the file open with
// one line to write, so both processes reach the threshold.
Roles RunAll(const GatedHome &home, Filler *filler) {
    Roles roles;
    auto run = [&](const std::string &role, std::unique_ptr<ChildProcess> launcher) {
        roles[launcher->pid()] = role;
        EXPECT_EQ(LauncherSandbox::Finish(*launcher).status, 0) << role;
    };
    run("install", home.Spawn());

    home.Hold();
    const long opened_at = SizeOf(home.LogPath());
    auto measured = home.Spawn();
    EXPECT_TRUE(WaitFor([&] { return home.Started(); }));
    const long output_to_start = SizeOf(home.LogPath()) - opened_at;
    home.Release();
    run("measured", std::move(measured));
    home.Reset();

    if (filler != nullptr)
        filler->Append(kRotateAt - kLastLineRoom - output_to_start - SizeOf(home.LogPath()));
    home.Hold();
    auto held = home.Spawn();
    EXPECT_TRUE(WaitFor([&] { return home.Started(); }));
    if (filler != nullptr) {
        EXPECT_EQ(SizeOf(home.LogPath()), kRotateAt - kLastLineRoom)
            << "the held run wrote another amount than the measured one";
    }
    run("second", home.Spawn());
    home.Release();
    run("held", std::move(held));
    home.Reset();

    run("next", home.Spawn());
    run("last", home.Spawn());
    return roles;
}

// Each role's lines, normalised and sorted (the GUI thread's lines fall between the worker's
// differently from run to run); fillers left out.
LinesByRole ByRole(const std::vector<std::string> &lines, const Roles &roles,
                   const std::string &base) {
    LinesByRole by_role;
    for (const std::string &line : lines) {
        if (Filler::IsFiller(line))
            continue;
        auto role = roles.find(PidOf(line));
        by_role[role == roles.end() ? "unknown" : role->second].push_back(Normalized(line, base));
    }
    for (auto &role : by_role) std::sort(role.second.begin(), role.second.end());
    return by_role;
}

class RotationTest : public LoadTest {};

TEST_F(RotationTest, LogJustUnderFiveMiBRotatesOnceAcrossRunsAndASecondInstance) {
    // The same runs on a sandbox whose log never rotates give every role's lines.
    LinesByRole expected;
    {
        GatedHome reference;
        const Roles roles = RunAll(reference, nullptr);
        expected = ByRole(LinesOf(reference.box.Log()), roles, reference.fake().base());
        ASSERT_EQ(expected.count("unknown"), 0u);
        ASSERT_EQ(expected.size(), roles.size());
    }
    const std::string log_dir = fake().user_path() + "/log";
    MakeDirs(log_dir);
    Filler filler(LogPath());
    filler.Append(kRotateAt - 8 * 1024);
    const TreeListing outside = Outside();

    const Roles roles = RunAll(*this, &filler);

    const std::set<std::string> names = NamesIn(log_dir);
    EXPECT_EQ(names, (std::set<std::string>{"launcher.log", "launcher.log_0"}));
    // Oldest first, whatever files there are.
    std::vector<std::string> lines;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        const std::string text = ReadFile(log_dir + "/" + *name);
        EXPECT_TRUE(!text.empty() && text.back() == '\n') << *name << " ends inside a line";
        for (const std::string &line : LinesOf(text)) lines.push_back(line);
    }
    EXPECT_GT(SizeOf(LogPath() + "_0"), kRotateAt);
    static const std::regex whole(
        R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d \( *\d+: *\d+\) \[(ERROR|WARNING|NOTE|INFO|DEBUG)\] )"
        R"([a-z/-]+\(\d+\): [^\n]*\n$)");
    std::vector<std::string> fillers;
    for (const std::string &line : lines) {
        if (Filler::IsFiller(line))
            fillers.push_back(line);
        else
            EXPECT_TRUE(std::regex_match(line, whole)) << "broken line: " << line;
    }
    EXPECT_EQ(fillers, filler.lines()) << "earlier lines were lost or moved";
    EXPECT_EQ(ByRole(lines, roles, fake().base()), expected)
        << "a run's lines were lost or changed";
    EXPECT_EQ(Outside(), outside);
}

}  // namespace
}  // namespace loxtest
