// Starting the per-user client through its start script.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/service/service_test_env.h"

namespace {

TEST(LaunchTest, StartScriptRunsWithItsOneArgumentFromAHomeWithASpace) {
    svctest::ServiceEnv env("Ann Lee");
    env.fake.InstallClient("120");
    svctest::TestService service;
    EXPECT_EQ(service.PostUpgrade().kind, ClientProblem::None);
    ASSERT_TRUE(loxtest::PathExists(env.fake.start_log()));
    EXPECT_EQ(loxtest::ReadFile(env.fake.start_log()), "start\n");
}

TEST(LaunchTest, MissingClientIsReportedAndNothingRuns) {
    svctest::ServiceEnv env;
    svctest::TestService service;
    EXPECT_EQ(service.PostUpgrade().kind, ClientProblem::ClientNotRunnable);
    EXPECT_FALSE(loxtest::PathExists(env.fake.start_log()));
}

// Only a copy the package may replace (builds equal) counts as damaged by its start script.
TEST(LaunchTest, StartScriptThatCannotBeRunMarksTheCopyDamaged) {
    const struct {
        const char *name;
        const char *package_build;
        bool deleted;  // else its run bits go
        bool damaged;
    } cases[] = {{"deleted", "121", true, true},
                 {"run bits removed", "121", false, true},
                 {"deleted, older package", "120", true, false}};
    for (const auto &row : cases) {
        svctest::ServiceEnv env;
        env.fake.InstallClient("121");
        env.fake.WriteTargetInfo(loxtest::FakeInstall::InfoText(row.package_build));
        const std::string script = env.fake.app_path() + "/package/start-stop";
        ASSERT_EQ(row.deleted ? ::unlink(script.c_str()) : ::chmod(script.c_str(), 0644), 0);
        svctest::TestService service;
        service.PreUpgrade();
        service.PostUpgrade();
        EXPECT_EQ(service.IsCopyDamaged(), row.damaged) << row.name;
    }
}

// A half-replaced tree must not be started; the next run replaces it first.
TEST(LaunchTest, ClientIsNotStartedWhileAReplacementIsUnfinished) {
    svctest::ServiceEnv env;
    env.fake.InstallClient("120");
    loxtest::WriteFile(env.Marker(), "step=extract\nbackup=-1\n");
    svctest::TestService service;
    // The launcher tells the user this reason.
    EXPECT_EQ(service.PostUpgrade().kind, ClientProblem::UnfinishedReplacement);
    EXPECT_FALSE(loxtest::PathExists(env.fake.start_log()));
}

}  // namespace
