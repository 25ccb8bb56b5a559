// The Debian packages of this build, unpacked below a temporary root: clean for lintian, a
// Depends that covers what the shipped binaries need, and a working product started through
// the /usr/bin link.
#include <gtest/gtest.h>

#include <QLibraryInfo>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "tests/support/fault_scratch.h"
#include "tests/support/wayland_session.h"

namespace loxtest {
namespace {

namespace fs = std::filesystem;

const std::string kTree = "opt/BrenthorLoxen";

std::vector<std::string> Words(const std::string &text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

// The same path on the other side of the merged /usr, where dpkg may know it instead.
std::string OtherSpelling(const std::string &path) {
    return path.rfind("/usr/", 0) == 0 ? path.substr(4) : "/usr" + path;
}

// Where ldd found library: "name => /path (address)", or the loader by its path alone.
std::string LibraryPath(const std::string &ldd, const std::string &library) {
    size_t at = ldd.find("\t" + library + " => /");
    if (at != std::string::npos)
        return Words(ldd.substr(at))[2];
    at = ldd.find("/" + library + " (");
    if (at == std::string::npos)
        return std::string();
    const size_t start = ldd.rfind('\t', at) + 1;
    return ldd.substr(start, at + 1 + library.size() - start);
}

// The packages owning each path, asked of dpkg at once.
std::map<std::string, std::set<std::string>> Owners(const std::set<std::string> &paths) {
    std::string command = "dpkg -S";
    for (const std::string &path : paths)
        command += " " + ShellQuote(path) + " " + ShellQuote(OtherSpelling(path));
    std::map<std::string, std::set<std::string>> owners;
    std::istringstream lines(RunCapturing(command + " 2>/dev/null").out);
    for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.find(": /");
        if (colon == std::string::npos)
            continue;
        const std::string path = line.substr(colon + 2);
        auto &set = owners[paths.count(path) ? path : OtherSpelling(path)];
        for (const std::string &word : Words(line.substr(0, colon)))
            set.insert(word.substr(0, word.find_first_of(",:")));
    }
    return owners;
}

class DebPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *deb : {LOXEN_DEB_MAIN, LOXEN_DEB_SAMPLE})
            ASSERT_EQ(RunShell("dpkg-deb -x " + ShellQuote(deb) + " " + ShellQuote(root.path())), 0)
                << deb;
    }

    TempDir root;
};

TEST(DebLintTest, LintianReportsNoErrorOrWarning) {
    const std::string command = std::string("lintian --fail-on error,warning ") + LOXEN_DEB_MAIN +
                                " " + LOXEN_DEB_SAMPLE + " 2>&1";
    CapturedRun run = RunCapturing(command);
    EXPECT_EQ(run.status, 0) << run.out;
}

// dpkg-shlibdeps lists the packages of the libraries each file names itself; their own
// libraries come with those packages' dependencies.
TEST_F(DebPackageTest, DependsHasThePackageOfEveryLibraryTheShippedFilesNeed) {
    const std::vector<std::string> names =
        Words(RunCapturing(std::string("dpkg-deb -f ") + LOXEN_DEB_MAIN +
                           " Depends | tr ',|' '\\n\\n' | awk '{print $1}'")
                  .out);  // alternatives too
    const std::set<std::string> depends(names.begin(), names.end());
    std::vector<std::string> files = {root / (kTree + "/bin/loxen-launcher")};
    for (const auto &entry : fs::recursive_directory_iterator(root / (kTree + "/lib")))
        if (entry.path().extension() == ".so")
            files.push_back(entry.path().string());
    ASSERT_GE(files.size(), 3u);               // the launcher and its two modules
    std::map<std::string, std::string> needs;  // library path -> a file that needs it
    for (const std::string &file : files) {
        const std::string ldd = RunCapturing("ldd " + ShellQuote(file)).out;
        EXPECT_EQ(ldd.find("not found"), std::string::npos) << file << "\n" << ldd;
        const std::string needed =
            RunCapturing("objdump -p " + ShellQuote(file) + " | awk '/NEEDED/ {print $2}'").out;
        for (const std::string &library : Words(needed)) {
            const std::string path = LibraryPath(ldd, library);
            ASSERT_FALSE(path.empty()) << file << " needs " << library;
            needs[path] = file;
        }
    }
    std::set<std::string> paths;
    for (const auto &need : needs) paths.insert(need.first);
    const auto owners = Owners(paths);
    for (const auto &[path, file] : needs) {
        bool listed = false;
        if (owners.count(path))
            for (const std::string &owner : owners.at(path))
                listed = listed || depends.count(owner);
        EXPECT_TRUE(listed) << file << " needs " << path << ", which no package of Depends has";
    }
}

TEST_F(DebPackageTest, LinkStartsTheLauncherThatInstallsTheSampleClientThenFindsItUpToDate) {
    const std::string entry = ReadFile(root / "usr/share/applications/brenthor-loxen.desktop");
    EXPECT_NE(entry.find("\nExec=\"/usr/bin/brenthor-loxen\"\n"), std::string::npos) << entry;
    for (const std::string size : {"16", "24", "32", "48", "64", "72", "128", "256"})
        EXPECT_TRUE(PathExists(
            root / ("usr/share/icons/hicolor/" + size + "x" + size + "/apps/brenthor-loxen.png")))
            << size;

    FaultScratch scratch;
    const std::string home = scratch / "home", user = home + "/.BrenthorLoxen";
    const std::string app = user + "/BrenthorLoxen.app", launcher = root / "usr/bin/brenthor-loxen";
    MakeDirs(home);

    CapturedRun first = scratch.Run(launcher, scratch.Env(home));
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(ReadFile(app + "/INFO"), ReadFile(root / (kTree + "/INFO")));
    pid_t client = 0;
    ASSERT_TRUE(WaitFor([&] { return (client = ClientNamedBy(user)) != 0; }))
        << "the sample client did not start";
    const auto installed = ListTree(app);

    CapturedRun second = scratch.Run(launcher, scratch.Env(home));
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ListTree(app), installed);
    EXPECT_EQ(ClientNamedBy(user), client) << "an up-to-date run keeps the running client";
    EXPECT_TRUE(EndClient(user));
}

// The package's tree uses the system's Qt plug-ins and the level file in /etc.
TEST_F(DebPackageTest, OnWaylandTheDialogHasItsTitleBarAndTheTerminalStaysQuiet) {
    WaylandSession weston;
    if (!weston.started())
        GTEST_SKIP() << "weston cannot start a headless compositor here (scripts/deps installs it)";
    WriteFile(root / "etc/brenthor-loxen/launcher.debug", "launcher_debug=7\n");
    FaultScratch scratch;
    const std::string home = scratch / "home";
    MakeDirs(home);
    HandToNobody(scratch.path(), home);
    MakePassable(root.path());
    ChildProcess::Environment env = scratch.Env(home);
    env["QT_QPA_PLATFORM"] = std::nullopt;
    env["DISPLAY"] = std::nullopt;
    env["WAYLAND_DISPLAY"] = weston.socket();

    // The first run installs quickly and shows no dialog; the second updates over a client
    // that takes its time to stop, so the dialog is shown.
    const std::string user_path = home + "/.BrenthorLoxen";
    for (const bool update : {false, true}) {
        SCOPED_TRACE(update ? "update" : "install");
        if (update) {
            EXPECT_TRUE(EndClient(user_path));
            const std::string info = user_path + "/BrenthorLoxen.app/INFO";
            WriteFile(info, std::regex_replace(ReadFile(info), std::regex("build_version=\\d+"),
                                               "build_version=1"));
            ASSERT_TRUE(StartSlowClient(home, true));
        }
        const size_t before = ReadIfThere(user_path + "/log/launcher.log").size();
        CapturedRun run = scratch.Run(root / "usr/bin/brenthor-loxen", env, RunUser::Nobody);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "lib path = '" +
                               QLibraryInfo::location(QLibraryInfo::PluginsPath).toStdString() +
                               "'\n");
        EXPECT_EQ(run.err, "");
        const std::string log = ReadFile(user_path + "/log/launcher.log").substr(before);
        EXPECT_EQ(CountOf(log, "display platform wayland,"), 1) << log;
        EXPECT_EQ(CountOf(log, "progress dialog shown"), update ? 1 : 0) << log;
        EXPECT_EQ(CountOf(log, "without a title bar"), 0) << log;
        EXPECT_NE(log.find("[DEBUG]"), std::string::npos) << "the level file in /etc was not read";
    }
    EXPECT_TRUE(EndClient(user_path));
}

TEST_F(DebPackageTest, LevelFileIsAConffileAndTheAppStreamMetadataIsValid) {
    EXPECT_EQ(RunCapturing("dpkg-deb -I " + ShellQuote(LOXEN_DEB_MAIN) + " conffiles").out,
              "/etc/brenthor-loxen/launcher.debug\n");
    const CapturedRun validate = RunCapturing(
        "appstreamcli validate --no-net " +
        ShellQuote(root / "usr/share/metainfo/example.brenthor_loxen.Client.metainfo.xml") +
        " 2>&1");
    EXPECT_EQ(validate.status, 0) << validate.out;
}

}  // namespace
}  // namespace loxtest
