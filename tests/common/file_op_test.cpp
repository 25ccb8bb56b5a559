// File information and path queries.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/file-op.h"
#include "tests/common/file_op_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using fileop_test::AsNobody;

class FileInfoTest : public ::testing::Test {
protected:
    std::string At(const std::string &relative) const { return tmp_ / relative; }

    loxtest::TempDir tmp_;
};

_FILE_INFO_tag FilledWithGarbage() {
    _FILE_INFO_tag info;
    info.path = "old";
    info.name = "old";
    info.type = 99;
    info.mtime = 99;
    info.size = 99;
    info.exists = true;
    info.uid = info.gid = info.mode = 99;
    info.dev = 99;
    return info;
}

TEST_F(FileInfoTest, RegularFileIsDescribedFromItsStatus) {
    const std::string file = At("plain.txt");
    loxtest::WriteFile(file, "12345");
    struct stat st;
    ASSERT_EQ(0, ::lstat(file.c_str(), &st));

    _FILE_INFO_tag info;
    ASSERT_EQ(0, GetFileInfo(file.c_str(), info));
    EXPECT_TRUE(info.exists);
    EXPECT_EQ(FS_TYPE_FILE, info.type);
    EXPECT_EQ(5, info.size);
    EXPECT_EQ(ustring(file), info.path);
    EXPECT_EQ(ustring("plain.txt"), info.name);
    EXPECT_EQ(static_cast<int32_t>(st.st_mtime), info.mtime);
    EXPECT_EQ(st.st_mode, info.mode);
    EXPECT_EQ(st.st_uid, info.uid);
    EXPECT_EQ(st.st_gid, info.gid);
    EXPECT_EQ(st.st_dev, info.dev);
}

TEST_F(FileInfoTest, MissingEntryIsASuccessfulAnswerWithEverythingCleared) {
    _FILE_INFO_tag info = FilledWithGarbage();
    ASSERT_EQ(0, GetFileInfo(At("missing").c_str(), info));
    EXPECT_FALSE(info.exists);
    EXPECT_EQ(FS_TYPE_NONE, info.type);
    EXPECT_EQ(ustring("missing"), info.name);
    EXPECT_EQ(ustring(At("missing")), info.path);
    EXPECT_EQ(0, info.size);
    EXPECT_EQ(0, info.mtime);
    EXPECT_EQ(0u, info.uid);
    EXPECT_EQ(0u, info.gid);
    EXPECT_EQ(0u, info.mode);
    EXPECT_EQ(0u, info.dev);
}

TEST_F(FileInfoTest, PathBelowARegularFileFailsAndLeavesTheRecord) {
    loxtest::WriteFile(At("file"), "x");
    _FILE_INFO_tag info = FilledWithGarbage();
    EXPECT_EQ(-1, GetFileInfo(At("file/below").c_str(), info));
    EXPECT_EQ(ENOTDIR, errno);
    EXPECT_EQ(FilledWithGarbage(), info);
    EXPECT_EQ(99u, info.mode);
}

TEST_F(FileInfoTest, EveryKindOfEntryGetsItsTypeCode) {
    loxtest::MakeDirs(At("dir"));
    ASSERT_EQ(0, ::mkfifo(At("fifo").c_str(), 0600));
    ASSERT_TRUE(fileop_test::MakeSocket(At("sock")));
    ASSERT_EQ(0, ::symlink("dir", At("link").c_str()));
    loxtest::WriteFile(At("file"), "");

    const struct {
        std::string path;
        int32_t type;
    } cases[] = {
        {At("file"), FS_TYPE_FILE},    {At("dir"), FS_TYPE_DIR},   {At("link"), FS_TYPE_LINK},
        {"/dev/null", FS_TYPE_DEVICE}, {At("fifo"), FS_TYPE_FIFO}, {At("sock"), FS_TYPE_SOCKET},
    };
    for (const auto &c : cases) {
        _FILE_INFO_tag info;
        ASSERT_EQ(0, GetFileInfo(c.path.c_str(), info)) << c.path;
        EXPECT_TRUE(info.exists) << c.path;
        EXPECT_EQ(c.type, info.type) << c.path;
    }
}

TEST_F(FileInfoTest, LinkToDirectoryIsDescribedAsTheLinkItself) {
    loxtest::MakeDirs(At("target-directory"));
    ASSERT_EQ(0, ::symlink("target-directory", At("link").c_str()));
    _FILE_INFO_tag info;
    ASSERT_EQ(0, GetFileInfo(At("link").c_str(), info));
    EXPECT_EQ(FS_TYPE_LINK, info.type);
    EXPECT_EQ(static_cast<int64_t>(std::string("target-directory").size()), info.size);
    EXPECT_TRUE(S_ISLNK(info.mode));
}

TEST_F(FileInfoTest, EmptyPathIsMissingForGetFileInfoAndRefusedByTheOthers) {
    _FILE_INFO_tag info;
    EXPECT_EQ(0, GetFileInfo("", info));
    EXPECT_FALSE(info.exists);

    _FILE_INFO_tag untouched = FilledWithGarbage();
    EXPECT_EQ(-1, FSStat("", untouched, false));
    EXPECT_EQ(FilledWithGarbage(), untouched);
    EXPECT_FALSE(IsFileExist("", true));
}

TEST_F(FileInfoTest, DanglingAndLoopingLinksExistButPathsThroughALoopFail) {
    ASSERT_EQ(0, ::symlink("nowhere", At("dangling").c_str()));
    ASSERT_EQ(0, ::symlink("loop", At("loop").c_str()));
    EXPECT_TRUE(IsFileExist(At("dangling").c_str(), false));
    EXPECT_TRUE(IsFileExist(At("loop").c_str(), true));

    _FILE_INFO_tag info;
    EXPECT_EQ(-1, GetFileInfo(At("loop/inside").c_str(), info));
    EXPECT_EQ(ELOOP, errno);
    EXPECT_EQ(-2, FSStat(At("loop/inside").c_str(), info, false));
    EXPECT_FALSE(IsFileExist(At("loop/inside").c_str(), false));
}

TEST_F(FileInfoTest, FSStatReportsMissingAsSuccessAndFailuresAsMinusTwo) {
    _FILE_INFO_tag info;
    EXPECT_EQ(0, FSStat(At("missing").c_str(), info, false));
    EXPECT_FALSE(info.exists);

    const std::string too_long = At(std::string(300, 'n'));
    EXPECT_EQ(-2, FSStat(too_long.c_str(), info, true));
    EXPECT_EQ(ENAMETOOLONG, errno);
}

TEST_F(FileInfoTest, FSStatIsMinusTwoWhenSearchPermissionIsRefused) {
    fileop_test::OpenForOthers(tmp_);
    loxtest::MakeDirs(At("closed"));
    loxtest::WriteFile(At("closed/file"), "x");
    ASSERT_EQ(0, ::chmod(At("closed").c_str(), 0700));
    const std::string file = At("closed/file");
    EXPECT_AS_NOBODY([&] {
        _FILE_INFO_tag info;
        if (FSStat(file.c_str(), info, false) != -2)
            return 1;
        if (errno != EACCES)
            return 2;
        return IsFileExist(file.c_str(), false) ? 3 : 0;
    });
}

TEST_F(FileInfoTest, UnusualNamesAreHandedToTheSystemUnchanged) {
    const std::string names[] = {"with space",
                                 "gr\xc3\xbc\xc3\x9f"
                                 "e",
                                 "bad\xff\xfe"};
    for (const auto &name : names) {
        loxtest::WriteFile(At(name), "x");
        _FILE_INFO_tag info;
        ASSERT_EQ(0, GetFileInfo(At(name).c_str(), info)) << name;
        EXPECT_EQ(FS_TYPE_FILE, info.type) << name;
        EXPECT_EQ(ustring(name), info.name) << name;
    }
}

TEST(FileInfoRecord, EqualityIgnoresOwnerModeAndDevice) {
    _FILE_INFO_tag a;
    a.path = "/x/y";
    a.name = "y";
    a.type = FS_TYPE_FILE;
    a.size = 10;
    a.mtime = 7;
    a.exists = true;
    _FILE_INFO_tag b = a;
    b.uid = 1;
    b.gid = 2;
    b.mode = 3;
    b.dev = 4;
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);

    _FILE_INFO_tag other = a;
    other.size = 11;
    EXPECT_TRUE(a != other);
    other = a;
    other.mtime = 8;
    EXPECT_FALSE(a == other);
    other = a;
    other.name = "z";
    EXPECT_FALSE(a == other);
    other = a;
    other.exists = false;
    EXPECT_FALSE(a == other);
}

TEST(FilePathText, BaseNameIsTheTextAfterTheLastSlash) {
    EXPECT_EQ(ustring("b"), FSBaseName("/a/b"));
    EXPECT_EQ(ustring("b"), FSBaseName("b"));
    EXPECT_EQ(ustring(""), FSBaseName("/a/"));
    EXPECT_EQ(ustring(""), FSBaseName(""));
}

TEST(FilePathText, ParentPathIsTheTextBeforeTheLastSlash) {
    EXPECT_EQ(ustring("/"), FSParentPath("/"));
    EXPECT_EQ(ustring("/"), FSParentPath("/a"));
    EXPECT_EQ(ustring("/a"), FSParentPath("/a/b"));
    EXPECT_EQ(ustring("/a/b"), FSParentPath("/a/b/"));
    EXPECT_EQ(ustring("a"), FSParentPath("a/b"));
    EXPECT_EQ(ustring("/"), FSParentPath("plain"));
}

TEST(FilePathText, ParentFolderMatchesWholeComponentsOnly) {
    EXPECT_TRUE(FSIsParentFolder("/a", "/a"));
    EXPECT_TRUE(FSIsParentFolder("/a", "/a/b"));
    EXPECT_FALSE(FSIsParentFolder("/a", "/ab"));
    EXPECT_FALSE(FSIsParentFolder("/a/", "/a/b"));
    EXPECT_TRUE(FSIsParentFolder("/a/", "/a/"));
    EXPECT_FALSE(FSIsParentFolder("/a/b", "/a"));
    EXPECT_FALSE(FSIsParentFolder("/x", "/a/b"));
}

TEST(FilePathText, TimesAreEqualOnlyToTheSecond) {
    EXPECT_TRUE(FSTimeEqual(100, 100));
    EXPECT_FALSE(FSTimeEqual(100, 101));
}

TEST_F(FileInfoTest, RealPathFollowsLinksAndDotDot) {
    loxtest::MakeDirs(At("real/inner"));
    ASSERT_EQ(0, ::symlink("real", At("alias").c_str()));
    char canonical[8192];
    ASSERT_NE(nullptr, ::realpath(At("real/inner").c_str(), canonical));

    ustring path = At("alias/inner/../inner").c_str();
    ASSERT_EQ(0, FSGetRealPath(path));
    EXPECT_EQ(ustring(canonical), path);
}

TEST_F(FileInfoTest, RealPathOfMissingOrLoopingPathFailsAndKeepsTheArgument) {
    ASSERT_EQ(0, ::symlink("loop", At("loop").c_str()));
    for (const std::string &given : {At("missing"), At("loop")}) {
        ustring path = given.c_str();
        EXPECT_EQ(-1, FSGetRealPath(path));
        EXPECT_EQ(ustring(given), path);
    }
}

TEST_F(FileInfoTest, FileSystemKindQueriesAnswerFalseOnLocalAndMissingPaths) {
    // procfs is neither a network, user-space nor FAT file system.
    EXPECT_FALSE(isMountPoint("/proc"));
    EXPECT_FALSE(IsMSDOS("/proc"));
    EXPECT_FALSE(isMountPoint(At("missing").c_str()));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_FALSE(IsMSDOS(At("missing").c_str()));
}

TEST_F(FileInfoTest, MissingEntryCountsAsPermitted) {
    EXPECT_FALSE(isFileLocked(At("missing").c_str(), R_OK));
    EXPECT_TRUE(hasFilePermission(At("missing").c_str(), R_OK));
}

TEST_F(FileInfoTest, FileWithoutReadPermissionIsLockedForAnUnprivilegedUser) {
    fileop_test::OpenForOthers(tmp_);
    loxtest::WriteFile(At("secret"), "x");
    loxtest::WriteFile(At("public"), "x");
    ASSERT_EQ(0, ::chmod(At("secret").c_str(), 0600));
    ASSERT_EQ(0, ::chmod(At("public").c_str(), 0644));
    const std::string secret = At("secret");
    const std::string open = At("public");
    EXPECT_AS_NOBODY([&] {
        if (!isFileLocked(secret.c_str(), R_OK))
            return 1;
        if (hasFilePermission(secret.c_str(), R_OK))
            return 2;
        if (isFileLocked(open.c_str(), R_OK))
            return 3;
        if (!isFileLocked(open.c_str(), W_OK))
            return 4;
        return 0;
    });
}

TEST_F(FileInfoTest, UTimeSetsTheLinkItselfNotItsTarget) {
    loxtest::WriteFile(At("target"), "x");
    ASSERT_EQ(0, ::symlink("target", At("link").c_str()));
    ASSERT_EQ(0, FSUTime(At("target").c_str(), 1000, 2000));
    ASSERT_EQ(0, FSUTime(At("link").c_str(), 3000, 4000));

    struct stat target;
    struct stat link;
    ASSERT_EQ(0, ::lstat(At("target").c_str(), &target));
    ASSERT_EQ(0, ::lstat(At("link").c_str(), &link));
    EXPECT_EQ(2000, target.st_mtime);
    EXPECT_EQ(1000, target.st_atime);
    EXPECT_EQ(4000, link.st_mtime);
    EXPECT_EQ(-1, FSUTime(At("missing").c_str(), 1, 1));
}

TEST_F(FileInfoTest, ChownChangesTheLinkItselfNotItsTarget) {
    EXPECT_EQ(-1, FSChown(At("missing").c_str(), ::getuid(), ::getgid()));
    EXPECT_EQ(ENOENT, errno);
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving entries away needs root";

    loxtest::WriteFile(At("target"), "x");
    ASSERT_EQ(0, ::symlink("target", At("link").c_str()));
    ASSERT_EQ(0, FSChown(At("link").c_str(), 4321, 4322));
    struct stat link;
    struct stat target;
    ASSERT_EQ(0, ::lstat(At("link").c_str(), &link));
    ASSERT_EQ(0, ::lstat(At("target").c_str(), &target));
    EXPECT_EQ(4321u, link.st_uid);
    EXPECT_EQ(4322u, link.st_gid);
    EXPECT_EQ(0u, target.st_uid);
}

TEST_F(FileInfoTest, ChownOfAnotherUsersFileIsRefused) {
    fileop_test::OpenForOthers(tmp_);
    loxtest::WriteFile(At("owned"), "x");
    const std::string owned = At("owned");
    EXPECT_AS_NOBODY([&] {
        if (FSChown(owned.c_str(), ::getuid(), ::getgid()) != -1)
            return 1;
        return errno == EPERM ? 0 : 2;
    });
}

}  // namespace
