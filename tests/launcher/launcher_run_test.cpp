// The real loxen-launcher, run from a copy of the installed tree with a home of its own.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <regex>
#include <sstream>

#include "tests/support/launcher_sandbox.h"

namespace loxtest {
namespace {

std::vector<std::string> LinesWith(const std::string &text, const std::string &needle) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (line.find(needle) != std::string::npos)
            lines.push_back(line);
    return lines;
}

class LauncherRunTest : public ::testing::Test {
protected:
    const FakeInstall &fake() const { return box.fake(); }

    pid_t Client() const { return ClientNamedBy(fake().user_path()); }

    LauncherSandbox box;
};

TEST_F(LauncherRunTest, FirstRunInstallsThePackageAndStartsTheClient) {
    box.MakePackage("121");

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "lib path = '" + fake().root() + "/lib/plugins'\n");
    EXPECT_EQ(ReadFile(fake().source_info()), ReadFile(fake().target_info()));
    EXPECT_TRUE(PathExists(fake().ui_path()));
    EXPECT_TRUE(PathExists(fake().app_path() + "/package/start-stop"));
    EXPECT_FALSE(PathExists(fake().app_path() + "_tmp"));
    EXPECT_TRUE(PathExists(fake().user_path() + "/log/launcher.log"));
    ASSERT_TRUE(WaitFor([&] { return Client() != 0; })) << "the sample client did not start";
    EXPECT_EQ(box.ClientPids().size(), 1u);
}

TEST_F(LauncherRunTest, UpToDateRunLeavesTheCopyAndRunsTheStartScript) {
    fake().WritePackage("121");
    fake().InstallClient("121");
    const auto before = ListTree(fake().app_path());

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ListTree(fake().app_path()), before);
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n");
}

// The start script and the client it starts get standard input, output and error only, and the
// signal dispositions by default (here the launcher was started with hang-ups ignored), after an
// install as after an up-to-date run; a descriptor the launcher was given beyond those stays with
// it. A launcher started with those three closed gives them too, and its own output does not
// end up in the log that took their place.
TEST_F(LauncherRunTest, StartScriptInheritsOnlyTheStandardDescriptorsAndNoIgnoredSignal) {
    const std::string script = fake().base() + "/list-fds";
    WriteFile(script,
              "#!/bin/sh\nls /proc/self/fd >> \"$HOME/fds\"\n"
              "sed -n 's/^SigIgn:\\t//p' /proc/self/status > \"$HOME/ignored\"\n");
    box.MakePackage("121", {"--start-stop", script});
    for (const char *closed : {"", "7</dev/null", "<&- >&- 2>&-"}) {
        const std::string run = PathExists(fake().app_path()) ? closed : "install";
        std::filesystem::remove(fake().home() + "/fds");
        const std::string command = std::string("trap '' HUP; exec \"$0\" ") + closed;
        EXPECT_EQ(box.Run({}, {"/bin/sh", "-c", command, box.launcher()}).status, 0) << run;
        EXPECT_EQ(box.Log().find("lib path"), std::string::npos) << run;
        // 3 is the listing's own open directory, the lowest free number.
        EXPECT_EQ(ReadFile(fake().home() + "/fds"), "0\n1\n2\n3\n") << run;
        EXPECT_EQ(
            std::stoull(ReadFile(fake().home() + "/ignored"), nullptr, 16) & (1u << (SIGHUP - 1)),
            0u)
            << run;
    }
}

// A reader of the launcher's output that went away (a closed terminal, a log collector that
// restarted) fails the launcher's writes; the run still installs and starts the client.
TEST_F(LauncherRunTest, OutputWithoutAReaderDoesNotEndTheRun) {
    box.MakePackage("121");
    const auto launcher = box.Spawn({}, {"/bin/sh", "-c", "read go; exec \"$0\"", box.launcher()});
    launcher->CloseOutput();
    launcher->Write("go\n");
    EXPECT_EQ(launcher->Wait(), 0);
    EXPECT_TRUE(WaitFor([&] { return !box.ClientPids().empty(); })) << "no client started";
}

// The extractor module, the unpacking library and the ones it needs cost their loading time:
// only a run that unpacks loads them.
TEST_F(LauncherRunTest, OnlyARunThatUnpacksLoadsTheArchiveLibrary) {
    box.MakePackage("121");
    const auto loaded_by_run = [&](const std::string &name) {
        const std::string prefix = fake().base() + "/" + name;
        EXPECT_EQ(box.Run({{"LD_DEBUG", "files"}, {"LD_DEBUG_OUTPUT", prefix}}).status, 0);
        std::string files;  // one per process: the launcher, the start script and its client
        for (const auto &entry : std::filesystem::directory_iterator(fake().base()))
            if (entry.path().string().rfind(prefix + ".", 0) == 0)
                files += ReadFile(entry.path().string());
        return files;
    };
    const std::string install = loaded_by_run("install"), up_to_date = loaded_by_run("up-to-date");
    for (const char *file : {"file=libarchive", "/lib/loxen-extractor.so"}) {
        EXPECT_NE(install.find(file), std::string::npos) << file;
        EXPECT_EQ(up_to_date.find(file), std::string::npos) << file;
    }
}

TEST_F(LauncherRunTest, OlderPerUserCopyIsReplacedWhole) {
    fake().WritePackage("121");
    fake().InstallClient("120");
    WriteFile(fake().app_path() + "/share/only-in-120.txt", "old");

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ReadFile(fake().source_info()), FakeInstall::InfoText("121"));
    EXPECT_FALSE(PathExists(fake().app_path() + "/share/only-in-120.txt"));
    EXPECT_FALSE(PathExists(fake().app_path() + "_tmp"));
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n");
}

TEST_F(LauncherRunTest, MissingClientExecutableIsInstalledAgain) {
    fake().WritePackage("121");
    fake().InstallClient("121");
    std::filesystem::remove(fake().ui_path());

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    ASSERT_TRUE(PathExists(fake().ui_path()));
    EXPECT_EQ(ReadFile(fake().ui_path()), "client of build 121\n");
}

TEST_F(LauncherRunTest, CorruptPackageLeavesTheOldCopyByteForByte) {
    fake().InstallClient("120");
    box.MakePackage("121", {"--filler", "200"});
    const auto size = std::filesystem::file_size(fake().package_path());
    std::filesystem::resize_file(fake().package_path(), size / 2);
    const auto before = ListTree(fake().app_path());

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(ListTree(fake().app_path()), before);
    EXPECT_FALSE(PathExists(fake().app_path() + "_tmp"));
    const auto errors = LinesWith(box.Log(), "): Failed to upgrade package");
    ASSERT_EQ(errors.size(), 1u) << box.Log();
    EXPECT_NE(errors[0].find(" [ERROR] launcher("), std::string::npos);
    EXPECT_EQ(ReadFile(fake().start_log()), "start\n") << "the old copy is still started";
}

TEST_F(LauncherRunTest, SecondInstanceReturnsAtOnceWhileTheFirstRuns) {
    box.SetAllLevels(7);
    box.MakeGatedPackage("121");
    auto first = box.Spawn();
    ASSERT_TRUE(WaitFor([&] { return box.Starts() > 0; }))
        << "the first launcher never reached its start script";

    CapturedRun second = box.Run();
    box.Release();
    CapturedRun first_run = LauncherSandbox::Finish(*first);

    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(first_run.status, 0);
    EXPECT_EQ(box.Starts(), 1) << "the second launcher ran too";
    const auto returned = LinesWith(box.Log(), "app has already launched, return");
    ASSERT_EQ(returned.size(), 1u) << box.Log();
    EXPECT_NE(returned[0].find(" [DEBUG] main("), std::string::npos);
    const auto told = LinesWith(box.Log(), "another launcher is already working on this home");
    ASSERT_EQ(told.size(), 1u) << box.Log();
    EXPECT_NE(told[0].find(" [INFO] main("), std::string::npos);
}

TEST_F(LauncherRunTest, RunningClientIsStoppedThroughItsPidFileAndStartedAgain) {
    box.MakePackage("120");
    ASSERT_EQ(box.Run().status, 0);
    ASSERT_TRUE(WaitFor([&] { return Client() != 0; }));
    const pid_t old_client = Client();
    box.MakePackage("121");

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(IsAlive(old_client)) << "the old client was not stopped";
    ASSERT_TRUE(WaitFor([&] { return Client() != 0 && Client() != old_client; }));
    EXPECT_EQ(box.ClientPids().size(), 1u);
    EXPECT_EQ(ReadFile(fake().source_info()), ReadFile(fake().target_info()));
}

TEST_F(LauncherRunTest, LegacyAppFolderGoesAndLegacyDataStays) {
    fake().WritePackage("121");
    fake().InstallClient("121");
    MakeDirs(fake().nimbrel_path() + "/app/bin");
    WriteFile(fake().nimbrel_path() + "/app/bin/old-client", "old");
    MakeDirs(fake().nimbrel_path() + "/data");
    WriteFile(fake().nimbrel_path() + "/data/notes.txt", "keep me");

    CapturedRun run = box.Run();

    EXPECT_EQ(run.status, 0);
    EXPECT_FALSE(PathExists(fake().nimbrel_path() + "/app"));
    EXPECT_EQ(ReadFile(fake().nimbrel_path() + "/data/notes.txt"), "keep me");
}

TEST_F(LauncherRunTest, AtLevelSevenTheRegistryAndTheWorkerStepsAreLogged) {
    box.SetAllLevels(7);
    fake().WritePackage("121");

    CapturedRun run = box.Run();

    ASSERT_EQ(run.status, 0);
    const std::string log = box.Log();
    const std::string home = fake().home();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"user_nimbrel_path", home + "/.Nimbrel"},
        {"user_nimbrel_app_path", ""},
        {"user_nimbrel_resource_path", home + "/.Nimbrel/Nimbrel.app"},
        {"user_nimbrel_data_path", ""},
        {"user_nimbrel_working_dir_path", ""},
        {"user_nimbrel_loxen_ui_path", ""},
        {"root_resource_path", fake().root()},
    };
    const auto lines = LinesWith(log, "): >>> ");
    ASSERT_EQ(lines.size(), expected.size()) << log;
    const std::regex prefix(
        R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d \( *\d+: *\d+\) \[INFO\] main\(\d+\): >>> )");
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(std::regex_search(lines[i], prefix)) << lines[i];
        const std::string tail = ">>> " + expected[i].first + " = " + expected[i].second;
        const size_t at = lines[i].rfind(">>> ");
        EXPECT_EQ(at == std::string::npos ? "" : lines[i].substr(at), tail);
    }
    const auto steps = LinesWith(log, " [DEBUG] launcher(");
    ASSERT_EQ(steps.size(), 2u) << log;
    EXPECT_NE(steps[0].find("): running"), std::string::npos);
    EXPECT_NE(steps[1].find("): done"), std::string::npos);
    EXPECT_LT(log.find("): running"), log.find("extract package"));
    EXPECT_LT(log.find("extract package"), log.find("): done"));

    ASSERT_EQ(box.Run().status, 0);
    const auto second_steps = LinesWith(box.Log(), " [DEBUG] launcher(");
    ASSERT_EQ(second_steps.size(), 5u);
    EXPECT_NE(second_steps[3].find("): no need to upgrade"), std::string::npos);
}

// The installed levels: an upgrade tells its story step by step, an up-to-date run in a few lines.
TEST_F(LauncherRunTest, AtTheInstalledLevelsEachRunTellsItsStory) {
    ASSERT_TRUE(box.InstallRunningClient("120"));
    const std::string install = box.Log();
    EXPECT_EQ(CountOf(install, "run ended: installed, client started, "), 1) << install;
    EXPECT_EQ(CountOf(install, "removing aged app folder"), 0) << install;
    const std::string old_client = std::to_string(Client());
    box.MakePackage("121");
    size_t before = box.Log().size();
    ASSERT_EQ(box.Run().status, 0);
    const std::string upgrade = box.Log().substr(before);
    const std::string home = fake().home();
    for (const std::string &story :
         {"main\\(\\d+\\): launcher \\S+ starting: language \\w+, display platform offscreen, home "
          "'" +
              home + "'",
          std::string("linux-service\\(\\d+\\): per-user copy 120, installed 121: upgrade"),
          "client " + old_client + ": SIGTERM sent, ended after \\d+\\.\\d+ s",
          std::string("extraction complete: [1-9]\\d* entries, [1-9]\\d* bytes in \\d+\\.\\d\\d s"),
          "start script '" + fake().app_path() +
              "/package/start-stop' ended with status 0 after \\d+\\.\\d\\d s",
          std::string("launcher\\(\\d+\\): run ended: per-user copy replaced, client started, "
                      "\\d+\\.\\d\\d s\n")})
        EXPECT_TRUE(std::regex_search(upgrade, std::regex(" \\[INFO\\] .*" + story)))
            << story << upgrade;
    // Stopping this client takes a second: the dialog is shown, and the log says so in order.
    EXPECT_LT(upgrade.find("progress dialog shown"), upgrade.find("run ended: ")) << upgrade;

    before = box.Log().size();
    ASSERT_EQ(box.Run().status, 0);
    const std::string up_to_date = box.Log().substr(before);
    EXPECT_EQ(CountOf(up_to_date, "installed 121: up to date\n"), 1) << up_to_date;
    EXPECT_EQ(CountOf(up_to_date, "run ended: up to date, client started, "), 1) << up_to_date;
    // Ten of them are the registry, version and legacy-folder lines that were always there.
    EXPECT_LE(CountOf(up_to_date, "\n"), 14) << up_to_date;
}

}  // namespace
}  // namespace loxtest
