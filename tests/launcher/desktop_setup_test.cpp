// The real loxen-launcher in setups of ordinary desktops: each run must end with exit status 0,
// the per-user copy complete and the client started.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <filesystem>

#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/wayland_session.h"

namespace loxtest {
namespace {

using Env = ChildProcess::Environment;

std::string PrivateDir(const std::string &path) {
    MakeDirs(path);
    ::chmod(path.c_str(), 0700);
    return path;
}

// "NAME=value" as the process sees it, or "" when NAME is not set.
std::string VariableOf(pid_t pid, const std::string &name) {
    const std::string all = '\0' + ReadFile("/proc/" + std::to_string(pid) + "/environ");
    const size_t at = all.find('\0' + name + '=');
    return at == std::string::npos ? "" : all.substr(at + 1, all.find('\0', at + 1) - at - 1);
}

void ExpectInstalledAndStarted(const LauncherSandbox &box, const CapturedRun &run) {
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(ReadFile(box.fake().source_info()), ReadFile(box.fake().target_info()));
    EXPECT_TRUE(WaitFor([&] { return !box.ClientPids().empty(); })) << "no client started";
}

class DesktopSetupTest : public ::testing::Test {
protected:
    const FakeInstall &fake() const { return box.fake(); }
    LauncherSandbox box;
};

TEST_F(DesktopSetupTest, StartedThroughALinkOrByNameTheTreeIsTheResolvedOne) {
    box.MakePackage("121");
    const std::string link = fake().base() + "/brenthor-loxen";
    ASSERT_EQ(::symlink(box.launcher().c_str(), link.c_str()), 0);
    const std::string lib_line = "lib path = '" + fake().root() + "/lib/plugins'\n";

    CapturedRun through_link = box.Run({}, {link});
    ExpectInstalledAndStarted(box, through_link);
    EXPECT_EQ(through_link.out, lib_line);
    CapturedRun by_name = box.Run({{"PATH", fake().root() + "/bin:/usr/bin:/bin"}},
                                  {"/usr/bin/env", "loxen-launcher"});
    EXPECT_EQ(by_name.status, 0);
    EXPECT_EQ(by_name.out, lib_line);
}

// Each session gets the dialog where it can show it, a terminal with only the plug-in line and a
// client that sees the platform variable the launcher was given. Wayland runs as "nobody".
struct SessionCase {
    const char *name;
    Env env;               // over a session without any display
    bool compositor;       // WAYLAND_DISPLAY names a running weston
    const char *platform;  // the one the run ends up on
};

TEST_F(DesktopSetupTest, EverySessionShowsTheDialogWhereItCanAndKeepsTheTerminalQuiet) {
    WaylandSession weston;
    const SessionCase cases[] = {
        {"no display, no runtime directory",
         {{"XDG_RUNTIME_DIR", std::nullopt}},
         false,
         "offscreen"},
        {"X11 display that is not there", {{"DISPLAY", ":3917"}}, false, "offscreen"},
        {"Wayland chosen, no compositor", {{"QT_QPA_PLATFORM", "wayland"}}, false, "offscreen"},
        {"Wayland session without X11", {{"XDG_SESSION_TYPE", "wayland"}}, true, "wayland"},
        {"compositor only", {}, true, "wayland"},
    };
    for (const SessionCase &session : cases) {
        SCOPED_TRACE(session.name);
        if (session.compositor && !weston.started()) {
            std::printf("skipped '%s': weston cannot start here (scripts/deps)\n", session.name);
            continue;
        }
        LauncherSandbox case_box;
        FaultScratch scratch;
        // On a compositor the dialog must really be shown: an update over a client that takes
        // its time to stop, which a quick first install would not need.
        if (session.compositor) {
            ASSERT_TRUE(case_box.InstallRunningClient("120", {}, true));
        }
        case_box.MakePackage("121");
        Env env = scratch.Env(case_box.fake().home());
        for (const char *name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"})
            env[name] = std::nullopt;
        env["TMPDIR"] = scratch.path();
        for (const auto &pair : session.env) env[pair.first] = pair.second;
        RunUser user = RunUser::Current;
        if (session.compositor) {
            env["WAYLAND_DISPLAY"] = weston.socket();
            user = RunUser::Nobody;
        }
        const CapturedRun run = scratch.Run(case_box.launcher(), env, user);
        ExpectInstalledAndStarted(case_box, run);
        EXPECT_EQ(run.out, "lib path = '" + case_box.fake().root() + "/lib/plugins'\n");
        EXPECT_EQ(run.err, "");
        const std::string log = case_box.Log();
        EXPECT_EQ(CountOf(log, std::string("display platform ") + session.platform + ","), 1)
            << log;
        if (session.compositor) {
            EXPECT_EQ(CountOf(log, "progress dialog shown"), 1) << log;
        }
        EXPECT_EQ(CountOf(log, "without a title bar"), 0) << log;
        const auto given = session.env.count("QT_QPA_PLATFORM") ? "QT_QPA_PLATFORM=wayland" : "";
        ASSERT_FALSE(case_box.ClientPids().empty());
        EXPECT_EQ(VariableOf(case_box.ClientPids().front(), "QT_QPA_PLATFORM"), given);
    }
}

// GNU's rule for --help and --version: print, exit 0 (1 when the answer could not be written),
// do nothing else. An unknown option stops with 2 before anything is made; the toolkit's own
// options and other words run.
TEST_F(DesktopSetupTest, CommandLineIsAnsweredBeforeTheHomeIsTouched) {
    box.MakePackage("121");
    const std::string usage = "Usage: loxen-launcher [--help] [--version]\n";
    const std::string unknown = "loxen-launcher: unknown option '";
    const std::string full = "loxen-launcher: write error: No space left on device\n";
    const struct {
        std::string args;  // shell words; standard error goes to the output too
        int status;
        std::string out;  // its start
    } cases[] = {{"--help", 0, usage},
                 {"-h", 0, usage},
                 {"--version", 0, "brenthor-loxen "},
                 {"-V", 0, "brenthor-loxen "},
                 {"--help >/dev/full", 1, full},
                 {"-V >/dev/full", 1, full},
                 {"--hepl", 2, unknown + "--hepl'; see 'loxen-launcher --help'\n"},
                 {"-hV", 2, unknown + "-hV'"},
                 {"--version=1", 2, unknown + "--version=1'"},
                 {"word --platform offscreen -title -x", 0, "lib path = '"}};
    for (const auto &row : cases) {
        SCOPED_TRACE(row.args);
        const CapturedRun run =
            box.Run({}, {"/bin/sh", "-c", "exec \"$0\" 2>&1 " + row.args, box.launcher()});
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.out.substr(0, row.out.size()), row.out);
        EXPECT_EQ(PathExists(fake().user_path()), row.status == 0 && row.out == "lib path = '");
    }
}

// The per-user root moved to another disk, then an application folder linked elsewhere.
TEST_F(DesktopSetupTest, LinkedPerUserRootIsKeptAndALinkedAppLeavesItsTargetAlone) {
    const std::string moved = fake().base() + "/other-disk/BrenthorLoxen";
    MakeDirs(moved);
    ASSERT_EQ(::symlink(moved.c_str(), fake().user_path().c_str()), 0);
    box.MakePackage("121");
    ExpectInstalledAndStarted(box, box.Run());
    EXPECT_TRUE(std::filesystem::is_symlink(fake().user_path()));
    EXPECT_TRUE(std::filesystem::is_directory(moved + "/BrenthorLoxen.app/bin"));

    EndClient(box, 0);
    std::filesystem::remove_all(fake().app_path());
    const std::string outside = fake().base() + "/outside-app";
    MakeDirs(outside);
    ASSERT_EQ(::symlink(outside.c_str(), fake().app_path().c_str()), 0);
    fake().InstallClient("120");
    const auto before = ListTree(outside);
    ExpectInstalledAndStarted(box, box.Run());
    EXPECT_EQ(ListTree(outside), before);
}

TEST_F(DesktopSetupTest, CLocaleInstallsUtf8NamesByteForByte) {
    const std::string name =
        "share/Gr\xc3\xbc\xc3\x9f"
        "e-\xe6\x97\xa5.txt";
    // The builder writes a UTF-8 name into the pax header only from a UTF-8 character type.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    fake().WritePackage("121", {{name, "bytes"}});
    std::setlocale(LC_CTYPE, "C");

    CapturedRun run = box.Run({{"LANG", std::nullopt},
                               {"LC_ALL", std::nullopt},
                               {"LC_CTYPE", std::nullopt},
                               {"LANGUAGE", std::nullopt}});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(fake().app_path() + "/" + name), "bytes");
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n");
}

// Launchers of one home from a desktop session, from sudo -u and from cron: one service run.
TEST_F(DesktopSetupTest, OneRunPerHomeWhateverTheRuntimeDirectory) {
    box.MakeGatedPackage("121");
    auto first = box.Spawn({{"XDG_RUNTIME_DIR", PrivateDir(fake().base() + "/run-1")}});
    ASSERT_TRUE(WaitFor([&] { return box.Starts() > 0; }));
    auto second = box.Spawn({{"XDG_RUNTIME_DIR", PrivateDir(fake().base() + "/run-2")}});
    auto third = box.Spawn({{"XDG_RUNTIME_DIR", std::nullopt}, {"TMPDIR", fake().base()}});
    WaitFor([&] { return !IsAlive(second->pid()) && !IsAlive(third->pid()); }, 15000);
    box.Release();

    for (auto *launcher : {first.get(), second.get(), third.get()})
        EXPECT_EQ(LauncherSandbox::Finish(*launcher).status, 0);
    EXPECT_EQ(box.Starts(), 1);
}

// The toolkit's own timer showed the dialog in an up-to-date run whose start script was slow;
// a quick first install shows none either.
TEST_F(DesktopSetupTest, DialogAppearsOnlyForAnInstall) {
    box.SetAllLevels(6);
    const std::string script = fake().base() + "/slow-start";
    WriteFile(script, "#!/bin/sh\n[ -e \"$HOME/slow\" ] && sleep 5\nexit 0\n");
    ASSERT_TRUE(box.InstallRunningClient("120"));  // the upgrade stops it: a dialog
    box.MakePackage("121", {"--start-stop", script});
    ASSERT_EQ(box.Run().status, 0);
    WriteFile(fake().home() + "/slow", "");

    EXPECT_EQ(box.Run().status, 0);
    EXPECT_EQ(CountOf(box.Log(), "progress dialog shown"), 1) << box.Log();
}

}  // namespace
}  // namespace loxtest
