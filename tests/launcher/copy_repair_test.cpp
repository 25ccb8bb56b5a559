// A per-user copy that lost something the launcher installed is replaced at the next start.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "tests/support/launcher_sandbox.h"

namespace loxtest {
namespace {

namespace fs = std::filesystem;

using Damage = std::function<void(const std::string &app)>;

void TakeRunBits(const std::string &path) {
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0) << path;
}

class CopyRepairTest : public ::testing::Test {
protected:
    const FakeInstall &fake() const { return box.fake(); }
    std::string record() const { return fake().app_path() + ".installed"; }

    // Installs the package through the launcher; the tree as installed.
    TreeListing Install() {
        box.MakePackage("121", {"--library", "--filler", "3"});
        EXPECT_EQ(box.Run().status, 0);
        EXPECT_TRUE(WaitFor([&] { return ClientNamedBy(fake().user_path()) != 0; }));
        return ListTree(fake().app_path());
    }

    // What lies beside the copy, leaving out what every run or client keeps there.
    std::set<std::string> Beside() const {
        std::set<std::string> names = NamesIn(fake().user_path());
        for (const char *kept : {"BrenthorLoxen.app", "log", "launcher.lock", "ui.pid"})
            names.erase(kept);
        return names;
    }

    // Runs the launcher again and checks that it put the installed tree back and started it.
    void ExpectRepaired(const TreeListing &installed, const std::string &name) {
        const size_t log_before = box.Log().size();
        ASSERT_EQ(box.Run().status, 0) << name;
        EXPECT_EQ(ListTree(fake().app_path()), installed) << name;
        // The client names itself through a temporary file: its pid file first.
        EXPECT_TRUE(WaitFor([&] { return ClientNamedBy(fake().user_path()) != 0; })) << name;
        EXPECT_EQ(Beside(), std::set<std::string>{"BrenthorLoxen.app.installed"}) << name;
        EXPECT_EQ(box.ClientPids().size(), 1u) << name;
        const std::string run = box.Log().substr(log_before);
        EXPECT_EQ(CountOf(run, "run ended: per-user copy repaired, client started"), 1)
            << name << run;
    }

    LauncherSandbox box;
};

TEST_F(CopyRepairTest, EachDamageIsRepairedAtTheNextStart) {
    const std::pair<const char *, Damage> cases[] = {
        {"library deleted",
         [](const std::string &app) { fs::remove(app + "/lib/libcloud-loxen.so.1"); }},
        {"start script deleted",
         [](const std::string &app) { fs::remove(app + "/package/start-stop"); }},
        {"file truncated",
         [](const std::string &app) { fs::resize_file(app + "/share/filler/part-00001", 0); }},
        {"file grown",
         [](const std::string &app) { fs::resize_file(app + "/lib/libcloud-loxen.so.1", 9000); }},
        {"client's run bit removed",
         [](const std::string &app) { TakeRunBits(app + "/bin/cloud-loxen-ui"); }},
        {"start script's run bit removed",
         [](const std::string &app) { TakeRunBits(app + "/package/start-stop"); }},
        {"folder deleted", [](const std::string &app) { fs::remove_all(app + "/share/filler"); }},
    };
    const TreeListing installed = Install();
    ASSERT_TRUE(PathExists(record()));
    for (const auto &[name, damage] : cases) {
        damage(fake().app_path());
        ASSERT_NE(ListTree(fake().app_path()), installed) << name;
        ExpectRepaired(installed, name);
    }
}

// A copy installed before the record existed: held once to the package's listing.
TEST_F(CopyRepairTest, WithoutARecordTheCopyIsHeldToThePackage) {
    const struct {
        const char *name;
        Damage damage;
        bool replaced;
    } cases[] = {
        {"whole copy", [](const std::string &) {}, false},
        {"client's file of its own",
         [](const std::string &app) { WriteFile(app + "/share/own", "x"); }, false},
        {"file grown",
         [](const std::string &app) { fs::resize_file(app + "/share/filler/part-00002", 1); },
         true},
    };
    Install();
    for (const auto &row : cases) {
        fs::remove(record());
        row.damage(fake().app_path());
        const TreeListing before = ListTree(fake().app_path());
        const pid_t client = ClientNamedBy(fake().user_path());
        ASSERT_EQ(box.Run().status, 0) << row.name;
        EXPECT_TRUE(PathExists(record())) << row.name;
        EXPECT_EQ(IsAlive(client), !row.replaced) << row.name;
        EXPECT_EQ(ListTree(fake().app_path()) == before, !row.replaced) << row.name;
        ASSERT_TRUE(WaitFor([&] { return ClientNamedBy(fake().user_path()) != 0; })) << row.name;
    }
}

}  // namespace
}  // namespace loxtest
