// The legacy per-user folder: aged application folder removal and data migration.
#include <gtest/gtest.h>

#include "telk/uipathmanager.h"
#include "tests/service/service_test_env.h"

namespace {

using loxtest::MakeDirs;
using loxtest::PathExists;
using loxtest::ReadFile;
using loxtest::WriteFile;

class LegacyFolderTest : public ::testing::Test {
protected:
    std::string Legacy(const std::string &relative = "") const {
        return env.fake.nimbrel_path() + relative;
    }

    svctest::ServiceEnv env;
    svctest::TestService service;
};

TEST_F(LegacyFolderTest, AgedAppFolderGoesAndTheRestOfTheLegacyRootStays) {
    MakeDirs(Legacy("/app/bin"));
    WriteFile(Legacy("/app/bin/old"), "o");
    MakeDirs(Legacy("/data"));
    WriteFile(Legacy("/data/db"), "keep");
    service.RemoveAgedFolders();
    EXPECT_FALSE(PathExists(Legacy("/app")));
    EXPECT_EQ(ReadFile(Legacy("/data/db")), "keep");
    EXPECT_TRUE(env.log.Has("removing aged app folder " + Legacy("/app") + "\n"));
}

TEST_F(LegacyFolderTest, AgedFolderRemovalLogsEvenWithoutALegacyRoot) {
    service.RemoveAgedFolders();
    EXPECT_TRUE(env.log.Has("removing aged app folder " + Legacy("/app") + "\n"));
    EXPECT_FALSE(PathExists(Legacy()));
}

TEST_F(LegacyFolderTest, DataFolderMovesAndTheLegacyRootGoes) {
    MakeDirs(Legacy("/data/sub"));
    WriteFile(Legacy("/data/sub/file"), "payload");
    MakeDirs(Legacy("/app"));
    service.MigrateService();
    EXPECT_EQ(ReadFile(env.fake.data_path() + "/sub/file"), "payload");
    EXPECT_FALSE(PathExists(Legacy()));
    EXPECT_FALSE(env.log.Has("[ERROR]"));
}

TEST_F(LegacyFolderTest, LegacyRootWithoutDataIsRemovedAndNoDataFolderAppears) {
    MakeDirs(Legacy("/app"));
    service.MigrateService();
    EXPECT_FALSE(PathExists(Legacy()));
    EXPECT_TRUE(PathExists(env.fake.user_path()));
    EXPECT_FALSE(PathExists(env.fake.data_path()));
}

TEST_F(LegacyFolderTest, WithoutLegacyRootOnlyTheCurrentRootIsCreated) {
    service.MigrateService();
    EXPECT_TRUE(PathExists(env.fake.user_path()));
    EXPECT_EQ(loxtest::SnapshotTree(env.fake.home()).size(), 1u);
    service.MigrateService();
    EXPECT_FALSE(env.log.Has("[ERROR]"));
}

// Data that could not move exists nowhere else: only what is not the data folder goes.
TEST_F(LegacyFolderTest, RefusedMoveKeepsTheLegacyData) {
    MakeDirs(Legacy("/data"));
    WriteFile(Legacy("/data/db"), "legacy");
    MakeDirs(Legacy("/app"));
    WriteFile(Legacy("/notes"), "n");
    MakeDirs(env.fake.data_path());
    WriteFile(env.fake.data_path() + "/db", "current");
    service.MigrateService();
    EXPECT_TRUE(env.log.Has("[ERROR] cloud-service("));
    EXPECT_TRUE(env.log.Has("): Failed to move data to Brenthor Loxen folder\n"));
    EXPECT_EQ(ReadFile(Legacy("/data/db")), "legacy");
    EXPECT_EQ(ReadFile(env.fake.data_path() + "/db"), "current");
    EXPECT_FALSE(PathExists(Legacy("/app")));
    EXPECT_FALSE(PathExists(Legacy("/notes")));
    EXPECT_FALSE(env.log.Has("Failed to remove old .Nimbrel folder"));
}

TEST_F(LegacyFolderTest, CurrentRootThatCannotBeCreatedLeavesTheLegacyRootAlone) {
    WriteFile(env.fake.base() + "/blocker", "file");
    UIPathManager::getInstance()->setPath(
        "user_brenthor_loxen_path", QString::fromStdString(env.fake.base() + "/blocker/root"));
    MakeDirs(Legacy("/data"));
    WriteFile(Legacy("/data/db"), "legacy");
    service.MigrateService();
    EXPECT_TRUE(env.log.Has("): Failed to create Brenthor Loxen folder\n"));
    EXPECT_EQ(ReadFile(Legacy("/data/db")), "legacy");
}

}  // namespace
