// Version records loaded from INFO files, including files that are broken or hostile.
#include <gtest/gtest.h>

#include "tests/service/service_test_env.h"

namespace {

using loxtest::WriteFile;

class VersionTest : public ::testing::Test {
protected:
    svctest::ServiceEnv env;
    svctest::TestService service;
};

TEST_F(VersionTest, TargetRecordTakesTheFourKeysOfTheVersionGroup) {
    env.fake.WriteTargetInfo(
        "[General]\nbuild_version=999\n[Version]\nmajor_version=2\nminor_version=3\n"
        "build_version=121\nicon_overlay_version=9\n[Other]\nbuild_version=777\n");
    service.LoadTargetVersion();
    EXPECT_STREQ(service.target_version.major_version.c_str(), "2");
    EXPECT_STREQ(service.target_version.minor_version.c_str(), "3");
    EXPECT_STREQ(service.target_version.build_version.c_str(), "121");
    EXPECT_STREQ(service.target_version.icon_overlay_version.c_str(), "9");
    EXPECT_TRUE(env.log.Has("): target_version = (2, 3, 121, 9)\n"));
}

// Read as a list, "121, beta" would pass for build 0 and the copy would never be upgraded.
TEST_F(VersionTest, BuildThatIsNotAPlainNumberIsReadAsMissingWithAWarning) {
    env.fake.WriteTargetInfo("[Version]\nminor_version=4\nbuild_version=121, beta\n");
    service.LoadTargetVersion();
    EXPECT_STREQ(service.target_version.build_version.c_str(), "");
    EXPECT_TRUE(env.log.Has("ignoring build_version '121, beta' in '" + env.fake.target_info()));
}

TEST_F(VersionTest, MissingKeysStayAsTheyWereAndEmptyValuesClearTheirField) {
    env.fake.WriteTargetInfo("[Version]\nmajor_version=1\nminor_version=4\nbuild_version=50\n");
    service.LoadTargetVersion();
    env.fake.WriteTargetInfo("[Version]\nbuild_version=\nminor_version=5\n");
    service.LoadTargetVersion();
    EXPECT_STREQ(service.target_version.major_version.c_str(), "1");
    EXPECT_STREQ(service.target_version.minor_version.c_str(), "5");
    EXPECT_STREQ(service.target_version.build_version.c_str(), "");
    EXPECT_TRUE(env.log.Has("target_version = (1, 5, , )"));
}

TEST_F(VersionTest, FileWithoutTheVersionGroupChangesNothing) {
    env.fake.WriteTargetInfo("[Version]\nbuild_version=7\n");
    service.LoadTargetVersion();
    env.fake.WriteTargetInfo("build_version=8\n[Versions]\nbuild_version=9\n");
    service.LoadTargetVersion();
    EXPECT_STREQ(service.target_version.build_version.c_str(), "7");
}

TEST_F(VersionTest, MissingTargetInfoGivesEmptyRecord) {
    service.LoadTargetVersion();
    EXPECT_TRUE(service.target_version.build_version.empty());
    EXPECT_TRUE(env.log.Has("target_version = (, , , )"));
}

TEST_F(VersionTest, MissingSourceInfoWritesOnlyTheSourceDoesNotExistLine) {
    service.LoadSourceVersion();
    EXPECT_TRUE(service.source_version.build_version.empty());
    EXPECT_EQ(env.log.Count("[INFO] cloud-service("), 1);
    EXPECT_TRUE(env.log.Has("): source does not exist\n"));
    EXPECT_FALSE(env.log.Has("source_version"));
}

TEST_F(VersionTest, SourceRecordComesFromThePerUserInstallation) {
    env.fake.InstallClient("120");
    service.LoadSourceVersion();
    EXPECT_STREQ(service.source_version.build_version.c_str(), "120");
    EXPECT_TRUE(env.log.Has("source_version = (1, 0, 120, 7)"));
}

TEST_F(VersionTest, PreUpgradeLoadsBothRecordsAndLogsTheirBuilds) {
    env.fake.WritePackage("121");
    env.fake.InstallClient("120");
    service.PreUpgrade();
    EXPECT_STREQ(service.target_version.build_version.c_str(), "121");
    EXPECT_STREQ(service.source_version.build_version.c_str(), "120");
    EXPECT_TRUE(env.log.Has("): Source version: ('120', '7')\n"));
    EXPECT_TRUE(env.log.Has("): Target version: ('121', '7')\n"));
}

// Whatever the file holds, the load ends with valid UTF-8 text and the run goes on.
TEST_F(VersionTest, BrokenInfoFilesLoadWithoutHarm) {
    const std::string broken[] = {
        std::string("\x00\x01\xff\xfe garbage \n\n[[[\n=\n", 22),
        "[Version]\nbuild_version=12\xff\xfe\x80\nmajor_version=\xc3\x28\n",
        "[Version]\nbuild_version=" + std::string(100000, '9') + "\n",
        "[Version]\nbuild_version=5\nbuild_version=6\n[Version]\nbuild_version=7\n",
        "[Version\nbuild_version=5\n",
    };
    for (const std::string &text : broken) {
        env.fake.WriteTargetInfo(text);
        svctest::TestService fresh;
        fresh.LoadTargetVersion();
        EXPECT_TRUE(ustring::is_valid(fresh.target_version.build_version)) << text;
        EXPECT_TRUE(ustring::is_valid(fresh.target_version.major_version)) << text;
    }
}

TEST_F(VersionTest, DirectoryInPlaceOfInfoGivesEmptyRecords) {
    loxtest::MakeDirs(env.fake.target_info());
    loxtest::MakeDirs(env.fake.source_info());
    service.PreUpgrade();
    EXPECT_TRUE(service.target_version.build_version.empty());
    EXPECT_TRUE(service.source_version.build_version.empty());
    EXPECT_TRUE(env.log.Has("source_version = (, , , )"));
}

TEST(ServiceFieldsTest, LinuxServiceTakesItsTimeoutAndApplicationPath) {
    loxtest::FakeInstall fake;
    svctest::TestService service;
    EXPECT_EQ(service.timeout, 10000);
    EXPECT_EQ(std::string(service.app_path.c_str()), fake.app_path());
    service.SetTimeout(5);
    EXPECT_EQ(service.timeout, 5);
}

}  // namespace
