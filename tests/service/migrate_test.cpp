// The legacy per-user folder: aged application folder removal and data migration.
#include <gtest/gtest.h>
#include <unistd.h>

#include "telk/uipathmanager.h"
#include "tests/service/service_test_env.h"
#include "tests/support/tmpfs_mount.h"

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

TEST_F(LegacyFolderTest, AgedFolderRemovalSaysNothingWithoutALegacyRoot) {
    service.RemoveAgedFolders();
    EXPECT_FALSE(env.log.Has("removing aged app folder"));
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
    EXPECT_EQ(loxtest::ListTree(env.fake.home()).size(), 1u);
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
    EXPECT_TRUE(env.log.Has("): Failed to move data to Brenthor Loxen folder\n"));
    EXPECT_EQ(ReadFile(Legacy("/data/db")), "legacy");
    EXPECT_EQ(ReadFile(env.fake.data_path() + "/db"), "current");
    EXPECT_FALSE(PathExists(Legacy("/app")));
    EXPECT_FALSE(PathExists(Legacy("/notes")));
}

TEST_F(LegacyFolderTest, FailedMoveOutOfALinkedLegacyRootRemovesOnlyTheLink) {
    const std::string target = env.fake.base() + "/nimbrel-elsewhere";
    MakeDirs(target + "/data");
    WriteFile(target + "/data/db", "legacy");
    MakeDirs(target + "/app");
    WriteFile(target + "/notes", "n");
    ASSERT_EQ(::symlink(target.c_str(), Legacy().c_str()), 0);
    MakeDirs(env.fake.data_path());
    WriteFile(env.fake.data_path() + "/db", "current");
    const auto before = loxtest::ListTree(target);
    service.MigrateService();
    EXPECT_FALSE(PathExists(Legacy()));
    EXPECT_EQ(loxtest::ListTree(target), before);
}

// The current root on a file system of its own: the data has to be copied across.
TEST_F(LegacyFolderTest, CrossDeviceMoveNeverOverwritesAndFailsWithoutLosingEitherSide) {
    MakeDirs(env.fake.user_path());
    loxtest::TmpfsMount other(env.fake.user_path());
    if (!other.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    MakeDirs(Legacy("/data/sub"));
    WriteFile(Legacy("/data/sub/a"), "a");
    WriteFile(Legacy("/data/db"), "legacy");
    WriteFile(Legacy("/data/z"), "z");
    MakeDirs(env.fake.data_path());
    WriteFile(env.fake.data_path() + "/db", "current");
    const auto legacy = loxtest::ListTree(Legacy("/data"));
    const auto current = loxtest::ListTree(env.fake.data_path());
    service.MigrateService();
    EXPECT_TRUE(env.log.Has("): Failed to move data to Brenthor Loxen folder\n"));
    EXPECT_EQ(loxtest::ListTree(Legacy("/data")), legacy);
    EXPECT_EQ(loxtest::ListTree(env.fake.data_path()), current);

    ::unlink((env.fake.data_path() + "/db").c_str());
    service.MigrateService();
    EXPECT_EQ(loxtest::ListTree(env.fake.data_path()), legacy);
    EXPECT_FALSE(PathExists(Legacy()));
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
