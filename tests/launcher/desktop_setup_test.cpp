// The real loxen-launcher in setups of ordinary desktops: each run must end with exit status 0,
// the per-user copy complete and the client started.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>

#include "tests/support/launcher_sandbox.h"

namespace loxtest {
namespace {

int CountOf(const std::string &text, const std::string &needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

std::string PrivateDir(const std::string &path) {
    MakeDirs(path);
    ::chmod(path.c_str(), 0700);
    return path;
}

// "NAME=value" as the process sees it, or "" when NAME is not set.
std::string VariableOf(pid_t pid, const std::string &name) {
    const std::string environ = '\0' + ReadFile("/proc/" + std::to_string(pid) + "/environ");
    const size_t at = environ.find('\0' + name + '=');
    return at == std::string::npos ? ""
                                   : environ.substr(at + 1, environ.find('\0', at + 1) - at - 1);
}

class DesktopSetupTest : public ::testing::Test {
protected:
    const FakeInstall &fake() const { return box.fake(); }

    void ExpectInstalledAndStarted(const LauncherRun &run) const {
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(ReadFile(fake().source_info()), ReadFile(fake().target_info()));
        EXPECT_TRUE(WaitFor([&] { return box.PidFromFile() > 0 && IsAlive(box.PidFromFile()); }))
            << "the client did not start";
    }

    LauncherSandbox box;
};

TEST_F(DesktopSetupTest, StartedThroughALinkOrByNameTheTreeIsTheResolvedOne) {
    box.MakePackage("121");
    const std::string bin = fake().base() + "/usr/bin";
    MakeDirs(bin);
    ASSERT_EQ(::symlink(box.launcher().c_str(), (bin + "/brenthor-loxen").c_str()), 0);
    const std::string lib_line = "lib path = '" + fake().root() + "/lib/plugins'\n";

    LauncherRun through_link = box.Run({}, {bin + "/brenthor-loxen"});
    ExpectInstalledAndStarted(through_link);
    EXPECT_EQ(through_link.out, lib_line);

    LauncherRun by_name = box.Run({{"PATH", fake().root() + "/bin:/usr/bin:/bin"}},
                                  {"/usr/bin/env", "loxen-launcher"});
    EXPECT_EQ(by_name.status, 0);
    EXPECT_EQ(by_name.out, lib_line);
}

// Each case falls back to a platform that works; the client sees the platform variable it was
// given, not the launcher's own choice.
TEST_F(DesktopSetupTest, WithoutAUsableDisplayTheRunStillEnds) {
    const std::string runtime = PrivateDir(fake().base() + "/runtime");
    const std::vector<std::pair<std::string, ChildProcess::Environment>> cases = {
        {"no display", {{"QT_QPA_PLATFORM", std::nullopt}, {"DISPLAY", std::nullopt}}},
        {"dead display", {{"QT_QPA_PLATFORM", std::nullopt}, {"DISPLAY", ":3917"}}},
        {"wayland without compositor",
         {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", std::nullopt}, {"XDG_RUNTIME_DIR", runtime}}},
    };
    for (const auto &[name, env] : cases) {
        SCOPED_TRACE(name);
        LauncherSandbox case_box;
        case_box.SetAllLevels(5);
        case_box.MakePackage("121");
        ChildProcess::Environment full = env;
        full["WAYLAND_DISPLAY"] = std::nullopt;

        LauncherRun run = case_box.Run(full);

        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(ReadFile(case_box.fake().source_info()), ReadFile(case_box.fake().target_info()));
        ASSERT_TRUE(WaitFor([&] { return !case_box.ClientPids().empty(); }));
        EXPECT_EQ(CountOf(case_box.Log(), "[NOTE] main("), 1) << case_box.Log();
        const auto platform = env.at("QT_QPA_PLATFORM");
        EXPECT_EQ(VariableOf(case_box.ClientPids().front(), "QT_QPA_PLATFORM"),
                  platform ? "QT_QPA_PLATFORM=" + *platform : "");
    }
}

TEST_F(DesktopSetupTest, WaylandCompositorShowsTheDialogNatively) {
    const std::string runtime = PrivateDir(fake().base() + "/runtime");
    ChildProcess weston("/usr/bin/weston",
                        {"--backend=headless-backend.so", "--socket=loxen-test", "--idle-time=0"},
                        {{"XDG_RUNTIME_DIR", runtime}});
    if (!weston.started() || !WaitFor([&] { return PathExists(runtime + "/loxen-test"); }, 10000))
        GTEST_SKIP() << "weston cannot start a headless compositor here (scripts/deps installs it)";
    box.SetAllLevels(6);
    box.MakePackage("121");

    LauncherRun run = box.Run({{"QT_QPA_PLATFORM", "wayland"},
                               {"WAYLAND_DISPLAY", "loxen-test"},
                               {"XDG_RUNTIME_DIR", runtime},
                               {"DISPLAY", std::nullopt}});

    ExpectInstalledAndStarted(run);
    EXPECT_EQ(CountOf(box.Log(), "progress dialog shown on the 'wayland' display platform"), 1)
        << box.Log();
}

TEST_F(DesktopSetupTest, LinkedPerUserRootIsInstalledThroughAndKept) {
    const std::string elsewhere = fake().base() + "/other-disk/BrenthorLoxen";
    MakeDirs(elsewhere);
    ASSERT_EQ(::symlink(elsewhere.c_str(), fake().user_path().c_str()), 0);
    box.MakePackage("121");

    ExpectInstalledAndStarted(box.Run());
    EXPECT_TRUE(std::filesystem::is_symlink(fake().user_path()));
    EXPECT_TRUE(PathExists(elsewhere + "/BrenthorLoxen.app/bin/cloud-loxen-ui"));
}

TEST_F(DesktopSetupTest, LinkedApplicationFolderLeavesItsTargetAlone) {
    const std::string outside = fake().base() + "/outside-app";
    MakeDirs(outside);
    MakeDirs(fake().user_path());
    ASSERT_EQ(::symlink(outside.c_str(), fake().app_path().c_str()), 0);
    fake().InstallClient("120");
    WriteFile(outside + "/notes.txt", "mine");
    const auto before = SnapshotTree(outside);
    box.MakePackage("121");

    ExpectInstalledAndStarted(box.Run());
    EXPECT_EQ(SnapshotTree(outside), before);
}

TEST_F(DesktopSetupTest, CLocaleInstallsUtf8NamesByteForByte) {
    const std::string name =
        "share/Gr\xc3\xbc\xc3\x9f"
        "e-\xe6\x97\xa5\xe6\x9c\xac.txt";
    // The builder writes the pax header's UTF-8 name only from a UTF-8 character type.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    fake().WritePackage("121", {{name, "bytes"}});
    std::setlocale(LC_CTYPE, "C");

    LauncherRun run = box.Run({{"LANG", std::nullopt},
                               {"LC_ALL", std::nullopt},
                               {"LC_CTYPE", std::nullopt},
                               {"LANGUAGE", std::nullopt}});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(fake().app_path() + "/" + name), "bytes");
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n");
}

// Launchers of one home from a desktop session, from sudo -u and from cron: one service run.
TEST_F(DesktopSetupTest, OneRunPerHomeWhateverTheRuntimeDirectory) {
    box.SetAllLevels(7);
    const std::string gate = fake().base() + "/gate";
    WriteFile(gate,
              "#!/bin/sh\ntouch \"$HOME/started\"\n"
              "for _ in $(seq 1 300); do [ -e \"$HOME/release\" ] && exit 0; sleep 0.1; done\n");
    box.MakePackage("121", {"--start-stop", gate});
    auto first = box.Spawn({{"XDG_RUNTIME_DIR", PrivateDir(fake().base() + "/run-1")}});
    ASSERT_TRUE(WaitFor([&] { return PathExists(fake().home() + "/started"); }));

    auto second = box.Spawn({{"XDG_RUNTIME_DIR", PrivateDir(fake().base() + "/run-2")}});
    auto third = box.Spawn(
        {{"XDG_RUNTIME_DIR", std::nullopt}, {"TMPDIR", PrivateDir(fake().base() + "/tmp")}});
    WaitFor([&] { return !IsAlive(second->pid()) && !IsAlive(third->pid()); }, 15000);
    WriteFile(fake().home() + "/release", "");

    for (auto *launcher : {first.get(), second.get(), third.get()})
        EXPECT_EQ(LauncherSandbox::Finish(*launcher).status, 0);
    EXPECT_EQ(CountOf(box.Log(), "): running\n"), 1) << box.Log();
}

// The toolkit's own timer showed the dialog in an up-to-date run whose start script was slow.
TEST_F(DesktopSetupTest, DialogAppearsOnlyForAnInstall) {
    box.SetAllLevels(6);
    const std::string script = fake().base() + "/slow-start";
    WriteFile(script, "#!/bin/sh\n[ -e \"$HOME/slow\" ] && sleep 5\nexit 0\n");
    box.MakePackage("121", {"--start-stop", script});
    ASSERT_EQ(box.Run().status, 0);
    WriteFile(fake().home() + "/slow", "");

    EXPECT_EQ(box.Run().status, 0);
    EXPECT_EQ(CountOf(box.Log(), "progress dialog shown"), 1) << box.Log();
}

}  // namespace
}  // namespace loxtest
