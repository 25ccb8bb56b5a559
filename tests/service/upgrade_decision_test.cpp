// The upgrade decision: build numbers, a missing client, an unfinished replacement.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/service/service_test_env.h"

namespace {

const char kMissing[] = "<missing>";

struct DecisionCase {
    const char *source;  // build text of the per-user INFO, or kMissing for no INFO
    const char *target;  // build text of the installed INFO, or kMissing
    bool client_present;
    bool upgrade;
};

std::ostream &operator<<(std::ostream &out, const DecisionCase &c) {
    return out << "source '" << c.source << "' target '" << c.target << "' client "
               << (c.client_present ? "present" : "missing");
}

class UpgradeDecisionTest : public ::testing::TestWithParam<DecisionCase> {};

void WriteInfo(const std::string &path, const char *build) {
    if (std::string(build) != kMissing)
        loxtest::WriteFile(path, loxtest::FakeInstall::InfoText(build));
}

TEST_P(UpgradeDecisionTest, DecidesFromBuildsAndClient) {
    const DecisionCase &c = GetParam();
    svctest::ServiceEnv env;
    env.fake.InstallClient("1");
    ::unlink(env.fake.source_info().c_str());
    if (!c.client_present)
        ::unlink(env.fake.ui_path().c_str());
    WriteInfo(env.fake.source_info(), c.source);
    WriteInfo(env.fake.target_info(), c.target);

    svctest::TestService service;
    service.PreUpgrade();
    EXPECT_EQ(service.IsNeedUpgrade(), c.upgrade);
}

INSTANTIATE_TEST_SUITE_P(
    Table, UpgradeDecisionTest,
    ::testing::Values(
        DecisionCase{"120", "121", true, true}, DecisionCase{"121", "121", true, false},
        DecisionCase{"121", "120", true, false}, DecisionCase{kMissing, "5", true, true},
        DecisionCase{kMissing, kMissing, true, false},
        DecisionCase{kMissing, kMissing, false, true}, DecisionCase{"12abc", "12", true, true},
        DecisionCase{"12abc", "13", true, true}, DecisionCase{"abc", "1", true, true},
        DecisionCase{"abc", "0", true, false}, DecisionCase{" +7", "8", true, true},
        DecisionCase{"121", "121", false, true}, DecisionCase{"-3", "0", true, true},
        DecisionCase{"99999999999999999999", "2147483647", true, false},
        DecisionCase{"2147483646", "99999999999999999999", true, true},
        DecisionCase{"-99999999999999999999", "-2147483648", true, false},
        DecisionCase{"\xff\xfe", "1", true, true}));

TEST(UpgradeDecisionLogTest, LogsTheComparedNumbers) {
    svctest::ServiceEnv env;
    env.fake.WritePackage("121");
    env.fake.InstallClient("120");
    svctest::TestService service;
    service.PreUpgrade();
    EXPECT_TRUE(service.IsNeedUpgrade());
    EXPECT_TRUE(env.log.Has("): source version = 120, target version = 121\n"));
}

TEST(UpgradeDecisionLogTest, UnfinishedReplacementUpgradesEvenWithEqualBuilds) {
    svctest::ServiceEnv env;
    env.fake.WritePackage("121");
    env.fake.InstallClient("121");
    loxtest::WriteFile(env.Marker(), "step=extract\nbackup=0\n");
    svctest::TestService service;
    service.PreUpgrade();
    EXPECT_TRUE(service.IsNeedUpgrade());
    EXPECT_TRUE(env.log.Has("did not finish, replacing it again"));
}

// Stale backups prove nothing about the installation in place.
TEST(UpgradeDecisionLogTest, StaleBackupsDoNotKeepTheDecisionTrue) {
    svctest::ServiceEnv env;
    env.fake.WritePackage("121");
    env.fake.InstallClient("121");
    loxtest::MakeDirs(env.Backup(0) + "/bin");
    loxtest::MakeDirs(env.Backup(7) + "/bin");
    svctest::TestService service;
    service.PreUpgrade();
    EXPECT_FALSE(service.IsNeedUpgrade());
}

}  // namespace
