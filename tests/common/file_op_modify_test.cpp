// Creating directories, copying, renaming, removing and temporary files.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "common/file-op.h"
#include "common/tmpnamegen.h"
#include "tests/common/file_op_fixture.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_listing.h"

// The test links with --wrap=lstat: a test changes the disk right after the next status call.
extern "C" int __real_lstat(const char *path, struct stat *st);
static std::function<void()> after_lstat;
extern "C" int __wrap_lstat(const char *path, struct stat *st) {
    const int result = __real_lstat(path, st);
    const std::function<void()> hook = std::move(after_lstat);
    after_lstat = nullptr;
    if (hook)
        hook();
    return result;
}

namespace {

using fileop_test::ModeOf;

class FileModifyTest : public ::testing::Test {
protected:
    std::string At(const std::string &relative) const { return tmp_ / relative; }
    bool IsDir(const std::string &path) const { return S_ISDIR(ModeOf(path)); }

    loxtest::TempDir tmp_;
};

// Sets the file-creation mask for one test and puts the old one back.
class ScopedMask {
public:
    explicit ScopedMask(mode_t mask) : previous_(::umask(mask)) {}
    ~ScopedMask() { ::umask(previous_); }

private:
    mode_t previous_;
};

std::string Pattern(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + i / 8192) & 0xFF);
    return data;
}

// ---- FSMKDir

TEST_F(FileModifyTest, MkDirAcceptsAnExistingDirectoryAndRefusesOtherEntries) {
    loxtest::MakeDirs(At("dir"));
    loxtest::WriteFile(At("file"), "x");
    ASSERT_EQ(0, ::symlink("dir", At("link").c_str()));

    EXPECT_EQ(0, FSMKDir(At("dir").c_str(), true));
    // Callers tell the user why from errno: it must be this failure's, not an older one.
    for (const auto &[path, error] :
         {std::pair{At("file"), EEXIST}, {At("link"), EEXIST}, {std::string(), EINVAL}}) {
        errno = 0;
        EXPECT_EQ(-1, FSMKDir(path.c_str(), true)) << path;
        EXPECT_EQ(errno, error) << path;
    }
    EXPECT_TRUE(S_ISLNK(ModeOf(At("link"))));
}

TEST_F(FileModifyTest, MkDirCreatesMissingParentsOnlyWhenRecursive) {
    EXPECT_EQ(-2, FSMKDir(At("a/b/c").c_str(), false));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_FALSE(loxtest::PathExists(At("a")));

    EXPECT_EQ(0, FSMKDir(At("a/b/c").c_str(), true));
    EXPECT_TRUE(IsDir(At("a/b/c")));
}

TEST_F(FileModifyTest, MkDirFailsWithMinusTwoWithoutWritePermission) {
    fileop_test::OpenForOthers(tmp_);
    const std::string inside = At("new");
    EXPECT_AS_NOBODY([&] {
        if (FSMKDir(inside.c_str(), false) != -2)
            return 1;
        return errno == EACCES ? 0 : 2;
    });
    EXPECT_FALSE(loxtest::PathExists(At("new")));
}

// ---- FSMKDirP

TEST_F(FileModifyTest, MkDirPThroughARegularFileFailsUnlessReplacing) {
    loxtest::WriteFile(At("x"), "keep");
    EXPECT_EQ(-1, FSMKDirP(At("x/y").c_str(), nullptr, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(ENOTDIR, errno);
    EXPECT_EQ("keep", loxtest::ReadFile(At("x")));

    EXPECT_EQ(0, FSMKDirP(At("x/y").c_str(), nullptr, true, FS_MKDIR_DEFAULT_MODE));
    EXPECT_TRUE(IsDir(At("x")));
    EXPECT_TRUE(IsDir(At("x/y")));
}

TEST_F(FileModifyTest, MkDirPOnAnExistingFileSetsEexist) {
    loxtest::WriteFile(At("file"), "x");
    ASSERT_EQ(0, ::symlink("file", At("link-to-file").c_str()));
    EXPECT_EQ(-1, FSMKDirP(At("file").c_str(), nullptr, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_EQ(-1, FSMKDirP(At("link-to-file").c_str(), nullptr, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_EQ(-1, FSMKDirP("", nullptr, false, FS_MKDIR_DEFAULT_MODE));
}

TEST_F(FileModifyTest, MkDirPFollowsALinkToADirectory) {
    loxtest::MakeDirs(At("real"));
    ASSERT_EQ(0, ::symlink("real", At("alias").c_str()));
    EXPECT_EQ(0, FSMKDirP(At("alias/inner").c_str(), nullptr, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_TRUE(IsDir(At("real/inner")));
}

TEST_F(FileModifyTest, MkDirPStopPositionPointsIntoTheCallersText) {
    const ustring done = At("s/t").c_str();
    char *stop = nullptr;
    ASSERT_EQ(0, FSMKDirP(done, &stop, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(done.c_str() + done.length(), stop);

    const ustring trailing = At("u/v/").c_str();
    ASSERT_EQ(0, FSMKDirP(trailing, &stop, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(trailing.c_str() + trailing.length() - 1, stop);
    EXPECT_EQ('/', *stop);

    loxtest::WriteFile(At("file"), "x");
    const ustring failing = At("file/y/z").c_str();
    ASSERT_EQ(-1, FSMKDirP(failing, &stop, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_STREQ("/z", stop);
}

TEST_F(FileModifyTest, MkDirPWithExplicitModeIgnoresAndRestoresTheMask) {
    ScopedMask mask(022);
    ASSERT_EQ(0, FSMKDirP(At("a/b/c").c_str(), nullptr, false, 0700));
    for (const char *dir : {"a", "a/b", "a/b/c"}) EXPECT_EQ(0700u, ModeOf(At(dir)) & 07777) << dir;
    EXPECT_EQ(022u, loxtest::CurrentUmask());

    ::umask(077);
    ASSERT_EQ(0, FSMKDirP(At("open/inner").c_str(), nullptr, false, 0777));
    EXPECT_EQ(0777u, ModeOf(At("open")) & 07777);
    EXPECT_EQ(0777u, ModeOf(At("open/inner")) & 07777);
    EXPECT_EQ(077u, loxtest::CurrentUmask());
}

TEST_F(FileModifyTest, MkDirPWithDefaultModeHonoursTheMask) {
    ScopedMask mask(027);
    ASSERT_EQ(0, FSMKDirP(At("d/e").c_str(), nullptr, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(0750u, ModeOf(At("d")) & 07777);
    EXPECT_EQ(0750u, ModeOf(At("d/e")) & 07777);
}

// ---- FSMKDirFromRoot

TEST_F(FileModifyTest, MkDirFromRootCreatesEachLevelBelowTheRoot) {
    loxtest::MakeDirs(At("r"));
    EXPECT_EQ(0, FSMKDirFromRoot(At("r/a/b").c_str(), At("r").c_str()));
    EXPECT_TRUE(IsDir(At("r/a/b")));
    EXPECT_EQ(0, FSMKDirFromRoot(At("r").c_str(), At("r").c_str()));
}

TEST_F(FileModifyTest, MkDirFromRootRefusesRootsThatDoNotContainTheTarget) {
    loxtest::MakeDirs(At("r"));
    EXPECT_EQ(-1, FSMKDirFromRoot(At("r/a").c_str(), At("r/").c_str()));
    EXPECT_EQ(-1, FSMKDirFromRoot(At("r").c_str(), At("r/longer").c_str()));
    EXPECT_EQ(-1, FSMKDirFromRoot(At("ra/b").c_str(), At("r").c_str()));
    EXPECT_FALSE(loxtest::PathExists(At("r/a")));
    EXPECT_FALSE(loxtest::PathExists(At("ra")));
}

TEST_F(FileModifyTest, MkDirFromRootStopsAtAFileInTheWay) {
    loxtest::MakeDirs(At("r"));
    loxtest::WriteFile(At("r/a"), "x");
    EXPECT_EQ(-1, FSMKDirFromRoot(At("r/a/b").c_str(), At("r").c_str()));
    EXPECT_EQ("x", loxtest::ReadFile(At("r/a")));
}

// ---- FSCopy

TEST_F(FileModifyTest, CopyOfAnEmptyFileCreatesAnEmptyDestination) {
    loxtest::WriteFile(At("empty"), "");
    ASSERT_EQ(0, FSCopy(At("empty").c_str(), At("copy").c_str(), false));
    EXPECT_TRUE(loxtest::PathExists(At("copy")));
    EXPECT_EQ("", loxtest::ReadFile(At("copy")));
}

TEST_F(FileModifyTest, CopyOfSeveralBuffersAndATailIsByteIdentical) {
    const std::string data = Pattern(5 * 8192 + 1234);
    loxtest::WriteFile(At("big"), data);
    loxtest::WriteFile(At("copy"), std::string(100000, 'z'));
    ASSERT_EQ(0, FSCopy(At("big").c_str(), At("copy").c_str(), false));
    EXPECT_TRUE(loxtest::ReadFile(At("copy")) == data);
    EXPECT_TRUE(loxtest::ReadFile(At("big")) == data);
}

TEST_F(FileModifyTest, CopyKeepsThePermissionsOfAnExistingDestination) {
    ScopedMask mask(022);
    loxtest::WriteFile(At("source"), "new");
    ASSERT_EQ(0, ::chmod(At("source").c_str(), 0755));
    loxtest::WriteFile(At("existing"), "old content");
    ASSERT_EQ(0, ::chmod(At("existing").c_str(), 0600));
    ASSERT_EQ(0, FSCopy(At("source").c_str(), At("existing").c_str(), false));
    ASSERT_EQ(0, FSCopy(At("source").c_str(), At("fresh").c_str(), false));
    EXPECT_EQ("new", loxtest::ReadFile(At("existing")));
    EXPECT_EQ(0600u, ModeOf(At("existing")) & 07777);
    EXPECT_EQ(0644u, ModeOf(At("fresh")) & 07777);
}

TEST_F(FileModifyTest, CopyFollowsALinkAsSource) {
    loxtest::WriteFile(At("target"), "through the link");
    ASSERT_EQ(0, ::symlink("target", At("link").c_str()));
    ASSERT_EQ(0, FSCopy(At("link").c_str(), At("copy").c_str(), false));
    EXPECT_FALSE(S_ISLNK(ModeOf(At("copy"))));
    EXPECT_EQ("through the link", loxtest::ReadFile(At("copy")));
}

TEST_F(FileModifyTest, CopyFailsWithMinusOneWhenEitherSideCannotBeOpened) {
    EXPECT_EQ(-1, FSCopy(At("missing").c_str(), At("copy").c_str(), false));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_FALSE(loxtest::PathExists(At("copy")));

    loxtest::WriteFile(At("source"), "x");
    EXPECT_EQ(-1, FSCopy(At("source").c_str(), At("no-dir/copy").c_str(), true));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ("x", loxtest::ReadFile(At("source")));
    EXPECT_EQ(-1, FSCopy("", At("copy").c_str(), false));
}

TEST_F(FileModifyTest, CopyOntoAFullDeviceIsMinusTwoAndKeepsTheSource) {
    const std::string data = Pattern(3 * 8192);
    loxtest::WriteFile(At("source"), data);
    EXPECT_EQ(-2, FSCopy(At("source").c_str(), "/dev/full", true));
    EXPECT_EQ(ENOSPC, errno);
    EXPECT_TRUE(loxtest::ReadFile(At("source")) == data);
}

TEST_F(FileModifyTest, CopyWithRemoveSourceRemovesItAfterACompleteCopy) {
    const std::string data = Pattern(8192 + 1);
    loxtest::WriteFile(At("source"), data);
    ASSERT_EQ(0, FSCopy(At("source").c_str(), At("moved").c_str(), true));
    EXPECT_FALSE(loxtest::PathExists(At("source")));
    EXPECT_TRUE(loxtest::ReadFile(At("moved")) == data);
}

TEST_F(FileModifyTest, CopyOntoTheSourceItselfRefusesInsteadOfWipingIt) {
    loxtest::WriteFile(At("only"), "precious");
    ASSERT_EQ(0, ::link(At("only").c_str(), At("hard-link").c_str()));
    EXPECT_EQ(-1, FSCopy(At("only").c_str(), At("only").c_str(), true));
    EXPECT_EQ(-1, FSCopy(At("only").c_str(), At("hard-link").c_str(), false));
    EXPECT_EQ("precious", loxtest::ReadFile(At("only")));
}

TEST_F(FileModifyTest, CopyRefusesASourceThatIsNotARegularFileBeforeTouchingTheDestination) {
    loxtest::WriteFile(At("dest"), "kept");
    loxtest::MakeDirs(At("dir"));
    ASSERT_EQ(0, ::mkfifo(At("fifo").c_str(), 0600));
    ASSERT_EQ(0, ::symlink("fifo", At("to-fifo").c_str()));
    // A writer that stays open: reading the pipe would wait for ever.
    const int writer = ::open(At("fifo").c_str(), O_RDWR);
    for (const std::string &source : {At("dir"), std::string("/dev/null"), At("to-fifo")}) {
        EXPECT_EQ(-1, FSCopy(source.c_str(), At("dest").c_str(), false)) << source;
        EXPECT_EQ(-1, FSCopy(source.c_str(), At("new").c_str(), false)) << source;
    }
    ::close(writer);
    EXPECT_EQ("kept", loxtest::ReadFile(At("dest")));
    EXPECT_FALSE(loxtest::PathExists(At("new")));
    // Nothing reads from it: opening for writing fails instead of blocking.
    loxtest::WriteFile(At("source"), "x");
    EXPECT_EQ(-1, FSCopy(At("source").c_str(), At("fifo").c_str(), false));
    EXPECT_EQ(ENXIO, errno);
}

TEST_F(FileModifyTest, CopyIntoAnUnwritableDirectoryFails) {
    fileop_test::OpenForOthers(tmp_);
    loxtest::WriteFile(At("source"), "x");
    ASSERT_EQ(0, ::chmod(At("source").c_str(), 0644));
    const std::string source = At("source");
    const std::string copy = At("copy");
    EXPECT_AS_NOBODY([&] {
        if (FSCopy(source.c_str(), copy.c_str(), true) != -1)
            return 1;
        return errno == EACCES ? 0 : 2;
    });
    EXPECT_TRUE(loxtest::PathExists(At("source")));
}

// ---- FSRename

TEST_F(FileModifyTest, RenameRefusesBadInput) {
    loxtest::WriteFile(At("source"), "x");
    EXPECT_EQ(-1, FSRename(At("source").c_str(), "", false));
    EXPECT_EQ(-1, FSRename("", At("destination").c_str(), false));
    EXPECT_EQ(-2, FSRename(At("missing").c_str(), At("destination").c_str(), false));
    EXPECT_EQ(-100, FSRename(At("source").c_str(), At(std::string(300, 'n')).c_str(), false));
    EXPECT_EQ(ENAMETOOLONG, errno);
    EXPECT_TRUE(loxtest::PathExists(At("source")));
}

TEST_F(FileModifyTest, RenameWithinOneFileSystemMovesTheEntry) {
    loxtest::MakeDirs(At("tree/inner"));
    loxtest::WriteFile(At("tree/inner/f"), "data");
    EXPECT_EQ(0, FSRename(At("tree").c_str(), At("moved").c_str(), false));
    EXPECT_EQ("data", loxtest::ReadFile(At("moved/inner/f")));
    EXPECT_FALSE(loxtest::PathExists(At("tree")));
}

TEST_F(FileModifyTest, RenameOntoANonEmptyDirectoryIsMinusThree) {
    loxtest::MakeDirs(At("a"));
    loxtest::MakeDirs(At("b/full"));
    EXPECT_EQ(-3, FSRename(At("a").c_str(), At("b").c_str(), false));
    EXPECT_TRUE(loxtest::PathExists(At("a")));
}

class FileRenameAcrossDevicesTest : public FileModifyTest {
protected:
    void SetUp() override {
        other_ = fileop_test::TempDirOnOtherDevice(tmp_.path());
        if (!other_)
            GTEST_SKIP() << "/dev/shm is missing, not writable, or on the same file system as "
                         << tmp_.path();
    }
    std::string There(const std::string &relative) const { return *other_ / relative; }

    std::unique_ptr<loxtest::TempDir> other_;
};

TEST_F(FileRenameAcrossDevicesTest, MovesAFileByCopyAndRemove) {
    const std::string data = Pattern(2 * 8192 + 7);
    loxtest::WriteFile(At("file"), data);
    ASSERT_EQ(0, FSRename(At("file").c_str(), There("file").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("file")));
    EXPECT_TRUE(loxtest::ReadFile(There("file")) == data);
}

// A copy of a program moved this way must still run: modes and links come along.
TEST_F(FileRenameAcrossDevicesTest, MovesANestedTreeMergingIntoAnExistingDirectory) {
    loxtest::MakeDirs(At("tree/a/b"));
    loxtest::MakeDirs(At("tree/empty"));
    loxtest::WriteFile(At("tree/top"), "top");
    loxtest::WriteFile(At("tree/a/b/deep"), Pattern(9000));
    ASSERT_EQ(0, ::chmod(At("tree/top").c_str(), 0751));
    ASSERT_EQ(0, ::chmod(At("tree/empty").c_str(), 0700));
    ASSERT_EQ(0, ::symlink("b/deep", At("tree/a/link").c_str()));
    loxtest::MakeDirs(There("tree/a"));
    loxtest::WriteFile(There("tree/already"), "kept");

    ASSERT_EQ(0, FSRename(At("tree").c_str(), There("tree").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("tree")));
    EXPECT_EQ("top", loxtest::ReadFile(There("tree/top")));
    EXPECT_TRUE(loxtest::ReadFile(There("tree/a/b/deep")) == Pattern(9000));
    EXPECT_TRUE(IsDir(There("tree/empty")));
    EXPECT_EQ("kept", loxtest::ReadFile(There("tree/already")));
    EXPECT_EQ(std::filesystem::read_symlink(There("tree/a/link")), "b/deep");
    struct stat st;
    ASSERT_EQ(0, ::stat(There("tree/top").c_str(), &st));
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    ASSERT_EQ(0, ::stat(There("tree/empty").c_str(), &st));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST_F(FileRenameAcrossDevicesTest, SpecialEntriesAreNotMovedAndALinkKeepsItsText) {
    ASSERT_EQ(0, ::mkfifo(At("fifo").c_str(), 0600));
    ASSERT_EQ(0, ::symlink("anywhere", At("link").c_str()));
    EXPECT_EQ(-3, FSRename(At("fifo").c_str(), There("fifo").c_str(), false));
    EXPECT_EQ(0, FSRename(At("link").c_str(), There("link").c_str(), false));
    EXPECT_TRUE(loxtest::PathExists(At("fifo")));
    EXPECT_FALSE(loxtest::PathExists(At("link")));
    EXPECT_EQ(std::filesystem::read_symlink(There("link")), "anywhere");
}

// ---- FSRemove

TEST_F(FileModifyTest, RemoveOfMissingOrEmptyPath) {
    EXPECT_EQ(0, FSRemove(At("missing").c_str(), false));
    EXPECT_EQ(-1, FSRemove("", false));
}

TEST_F(FileModifyTest, RemoveDeletesATreeWithSpecialEntries) {
    loxtest::MakeDirs(At("tree/a/b"));
    loxtest::WriteFile(At("tree/a/b/f"), "x");
    loxtest::WriteFile(At("tree/with space \xff"), "x");
    ASSERT_EQ(0, ::mkfifo(At("tree/a/fifo").c_str(), 0600));
    ASSERT_TRUE(fileop_test::MakeSocket(At("tree/sock")));
    ASSERT_EQ(0, ::symlink("nowhere", At("tree/dangling").c_str()));
    EXPECT_EQ(0, FSRemove(At("tree").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("tree")));
}

TEST_F(FileModifyTest, RemoveOfALinkToADirectoryRemovesOnlyTheLink) {
    loxtest::MakeDirs(At("dir"));
    loxtest::WriteFile(At("dir/f"), "x");
    ASSERT_EQ(0, ::symlink("dir", At("link").c_str()));
    EXPECT_EQ(0, FSRemove(At("link").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("link")));
    EXPECT_EQ("x", loxtest::ReadFile(At("dir/f")));
}

TEST_F(FileModifyTest, RemoveOfATreeLeavesADirectoryLinkedFromInsideAlone) {
    loxtest::MakeDirs(At("outside/sub"));
    loxtest::WriteFile(At("outside/sub/f"), "outside");
    loxtest::MakeDirs(At("tree/inner"));
    ASSERT_EQ(0, ::symlink(At("outside").c_str(), At("tree/inner/escape").c_str()));
    EXPECT_EQ(0, FSRemove(At("tree").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("tree")));
    EXPECT_EQ("outside", loxtest::ReadFile(At("outside/sub/f")));
}

TEST_F(FileModifyTest, LinkIsNeverFollowedWhateverTheSpelling) {
    loxtest::MakeDirs(At("outside"));
    loxtest::WriteFile(At("outside/f"), "x");
    loxtest::MakeDirs(At("tree"));
    ASSERT_EQ(0, ::symlink(At("outside").c_str(), At("tree/link").c_str()));
    _FILE_INFO_tag info;
    ASSERT_EQ(0, GetFileInfo(At("tree/link/").c_str(), info));
    EXPECT_EQ(FS_TYPE_LINK, info.type);
    EXPECT_EQ(-1, GetFileInfo(At("outside/f/").c_str(), info));
    EXPECT_EQ(-1, FSMKDir(At("tree/link//").c_str(), true));
    EXPECT_EQ(0, FSRemove(At("tree/link/").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("tree/link")));
    EXPECT_EQ("x", loxtest::ReadFile(At("outside/f")));
}

TEST_F(FileModifyTest, DirectorySwappedForALinkAfterTheCheckIsRemovedAsTheLink) {
    loxtest::MakeDirs(At("outside"));
    loxtest::WriteFile(At("outside/f"), "x");
    loxtest::MakeDirs(At("victim"));
    after_lstat = [this] {
        ::rmdir(At("victim").c_str());
        ::symlink(At("outside").c_str(), At("victim").c_str());
    };
    EXPECT_EQ(0, FSRemove(At("victim").c_str(), false));
    EXPECT_FALSE(loxtest::PathExists(At("victim")));
    EXPECT_EQ("x", loxtest::ReadFile(At("outside/f")));
}

TEST_F(FileModifyTest, OwnTreeRemovalOpensTheUsersDirectoriesOnlyInsideTheTree) {
    fileop_test::OpenForOthers(tmp_);
    loxtest::MakeDirs(At("mine/tree/ro/deep"));
    loxtest::WriteFile(At("mine/tree/ro/deep/f"), "x");
    loxtest::MakeDirs(At("mine/tree/locked/in"));
    loxtest::MakeDirs(At("mine/outside"));
    ASSERT_EQ(0, ::symlink(At("mine/outside").c_str(), At("mine/tree/ro/out").c_str()));
    loxtest::HandToNobody(tmp_.path(), At("mine"));
    loxtest::MakeDirs(At("mine/theirs/sub"));
    loxtest::WriteFile(At("mine/theirs/sub/f"), "x");
    loxtest::ChownToNobody(At("mine/theirs"));
    for (const char *dir : {"mine/tree/ro/deep", "mine/tree/ro", "mine/outside", "mine/theirs/sub"})
        ASSERT_EQ(0, ::chmod(At(dir).c_str(), 0555));
    ASSERT_EQ(0, ::chmod(At("mine/tree/locked").c_str(), 0));
    const std::string tree = At("mine/tree");
    const std::string theirs = At("mine/theirs");
    EXPECT_AS_NOBODY([&] {
        if (FSRemove(tree.c_str(), false) != -3)
            return 1;
        if (FSRemoveOwnTree(tree.c_str()) != 0)
            return 2;
        return FSRemoveOwnTree(theirs.c_str()) == -3 ? 0 : 3;
    });
    EXPECT_FALSE(loxtest::PathExists(At("mine/tree")));
    EXPECT_EQ(0555u, ModeOf(At("mine/outside")) & 07777);
    EXPECT_EQ(0555u, ModeOf(At("mine/theirs/sub")) & 07777);
}

TEST_F(FileModifyTest, RemoveReportsADirectoryItCannotListOrEmpty) {
    fileop_test::OpenForOthers(tmp_);
    loxtest::MakeDirs(At("unlistable"));
    ASSERT_EQ(0, ::chmod(At("unlistable").c_str(), 0333));
    loxtest::MakeDirs(At("guarded/inner"));
    loxtest::WriteFile(At("guarded/inner/f"), "x");
    ASSERT_EQ(0, ::chmod(At("guarded/inner").c_str(), 0755));
    const std::string unlistable = At("unlistable");
    const std::string guarded = At("guarded");
    EXPECT_AS_NOBODY([&] {
        if (FSRemove(unlistable.c_str(), false) != -3)
            return 1;
        if (FSRemove(guarded.c_str(), false) != -3)
            return 2;
        return 0;
    });
    EXPECT_TRUE(loxtest::PathExists(At("unlistable")));
    EXPECT_TRUE(loxtest::PathExists(At("guarded/inner/f")));
}

// ---- temporary entries

TEST_F(FileModifyTest, MktempCreatesAnEmptyFileWithMode0644) {
    ScopedMask mask(077);
    ustring created;
    ASSERT_EQ(0, FSMktemp(tmp_.path().c_str(), created));
    const std::string path = created.c_str();
    EXPECT_EQ(tmp_.path() + "/", path.substr(0, tmp_.path().size() + 1));
    EXPECT_EQ(tmp_.path().size() + 7, path.size());
    EXPECT_EQ("", loxtest::ReadFile(path));
    EXPECT_EQ(0644u, ModeOf(path) & 07777);

    ustring again;
    ASSERT_EQ(0, FSMktemp(tmp_.path().c_str(), again));
    EXPECT_NE(created, again);
}

TEST_F(FileModifyTest, MktempInAMissingDirectoryFails) {
    ustring created = "unchanged";
    EXPECT_EQ(-1, FSMktemp(At("missing").c_str(), created));
    EXPECT_EQ(ustring("unchanged"), created);
}

TEST_F(FileModifyTest, CreateTempPathJoinsARandomNameAndCreatesNothing) {
    ustring first;
    ustring second;
    ASSERT_EQ(0, FSCreateTempPath(tmp_.path().c_str(), first));
    ASSERT_EQ(0, FSCreateTempPath(tmp_.path().c_str(), second));
    const std::string path = first.c_str();
    ASSERT_EQ(tmp_.path().size() + 9, path.size());
    EXPECT_EQ(tmp_.path() + "/", path.substr(0, tmp_.path().size() + 1));
    EXPECT_EQ(std::string::npos,
              path.substr(tmp_.path().size() + 1).find_first_not_of(TmpNameGen::map));
    EXPECT_FALSE(loxtest::PathExists(path));
    EXPECT_NE(first, second);
}

}  // namespace
