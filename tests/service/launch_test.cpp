// Starting the per-user client through its start script.
#include <gtest/gtest.h>

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
