// Replacing the per-user installation: backup names, extraction, rollback, clean-up, and the
// recursive copy.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/file-op.h"
#include "tests/service/service_test_env.h"
#include "tests/support/archive_builder.h"
#include "tests/support/readdir_fault.h"

// Every flush the service asks for passes here (the test links with --wrap=syncfs).
extern "C" int __real_syncfs(int fd);

namespace {

struct FlushSeen {
    std::string dir;
    bool backup_present;
};

std::vector<FlushSeen> flushes;
std::string backup_to_watch;
bool fail_flush = false;

std::string DescriptorPath(int fd) {
    char path[PATH_MAX];
    ssize_t length =
        ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
    return std::string(path, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace

extern "C" int __wrap_syncfs(int fd) {
    flushes.push_back({DescriptorPath(fd), loxtest::PathExists(backup_to_watch)});
    if (fail_flush) {
        errno = EIO;
        return -1;
    }
    return __real_syncfs(fd);
}

namespace {

using loxtest::FakeInstall;
using loxtest::ListTree;
using loxtest::MakeDirs;
using loxtest::PathExists;
using loxtest::WriteFile;

// As a run does it: the backups go once the client has started.
int Replace(svctest::TestService &service) {
    const int ret = service.PrepareUserEnv().failed() ? -1 : 0;
    service.FinishReplacement();
    return ret;
}

int PrepareExpecting(void *expected) {
    svctest::TestService service;
    return Replace(service) == *static_cast<int *>(expected) ? 0 : 1;
}

class PrepareEnvTest : public ::testing::Test {
protected:
    void SetUp() override {
        flushes.clear();
        backup_to_watch = env.Backup(0);
        fail_flush = false;
        env.fake.WritePackage("121");
    }

    // An old installation with more than the client's own files in it.
    void InstallOld() {
        env.fake.InstallClient("120");
        MakeDirs(env.fake.app_path() + "/conf/deep");
        WriteFile(env.fake.app_path() + "/conf/deep/settings", "user=ann\n");
        ::chmod((env.fake.app_path() + "/conf/deep/settings").c_str(), 0600);
        ::symlink("../bin/cloud-loxen-ui", (env.fake.app_path() + "/conf/ui").c_str());
    }

    void BreakPackage() {
        std::string package = loxtest::ReadFile(env.fake.package_path());
        WriteFile(env.fake.package_path(), package.substr(0, package.size() / 2));
    }

    std::map<std::string, std::string> App() const { return ListTree(env.fake.app_path()); }

    // PrepareUserEnv as the user nobody: 0 when it returned expected, -1 when that user is out
    // of reach here.
    static int PrepareAsNobody(int expected) {
        return loxtest::RunAsNobody(PrepareExpecting, &expected);
    }

    // A directory of root's inside path (made if missing): the user nobody can remove
    // neither it nor what it holds.
    static std::string RootsDir(const std::string &path) {
        MakeDirs(path + "/roots");
        return path + "/roots";
    }

    svctest::ServiceEnv env;
    svctest::TestService service;
};

TEST_F(PrepareEnvTest, FirstInstallationExtractsAndRemovesAStaleBackupName) {
    MakeDirs(env.Backup(0) + "/old");
    ASSERT_EQ(Replace(service), 0);
    EXPECT_EQ(App(), FakeInstall::ClientTree("121"));
    EXPECT_FALSE(PathExists(env.Backup(0)));
    EXPECT_FALSE(PathExists(env.Marker()));
}

TEST_F(PrepareEnvTest, ReplacementFlushesTheNewTreeBeforeTheBackupGoes) {
    InstallOld();
    ASSERT_EQ(Replace(service), 0);
    EXPECT_EQ(App(), FakeInstall::ClientTree("121"));
    EXPECT_FALSE(PathExists(env.Backup(0)));
    ASSERT_EQ(flushes.size(), 1u);
    EXPECT_EQ(flushes[0].dir, env.fake.app_path());
    EXPECT_TRUE(flushes[0].backup_present);
}

TEST_F(PrepareEnvTest, StaleBackupNameIsClearedBeforeItIsUsed) {
    InstallOld();
    MakeDirs(env.Backup(0) + "/leftover");
    ASSERT_EQ(Replace(service), 0);
    EXPECT_EQ(App(), FakeInstall::ClientTree("121"));
    EXPECT_FALSE(PathExists(env.Backup(0)));
    EXPECT_FALSE(PathExists(env.Backup(1)));
}

// Run by an ordinary user, with names another user's files hold.
TEST_F(PrepareEnvTest, TenBackupNamesThatCannotBeClearedLeaveTheOldInstallationAlone) {
    InstallOld();
    loxtest::HandToNobody(env.fake.base(), env.fake.user_path());
    for (int n = 0; n < 10; ++n) WriteFile(RootsDir(env.Backup(n)) + "/leftover", "x");
    auto before = App();
    const int status = PrepareAsNobody(-1);
    if (status < 0)
        GTEST_SKIP() << "cannot run as nobody here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(App(), before);
    EXPECT_TRUE(env.log.Has("failed to backup app from '" + env.fake.app_path() + "' -> '" +
                            env.Backup(9) + "' at max retries, exiting\n"));
    EXPECT_FALSE(PathExists(env.Marker()));
}

TEST_F(PrepareEnvTest, FailedExtractionRestoresTheOldTreeByteForByte) {
    InstallOld();
    MakeDirs(env.Backup(0) + "/stale");
    auto before = App();
    BreakPackage();
    EXPECT_EQ(Replace(service), -1);
    EXPECT_EQ(App(), before);
    EXPECT_TRUE(env.log.Has("Failed to extract package, rollback to old installation\n"));
    // The stale backup was cleared for this run's backup, which went back in place.
    EXPECT_FALSE(PathExists(env.Backup(0)));
    EXPECT_FALSE(PathExists(env.Backup(1)));
    EXPECT_FALSE(PathExists(env.Marker()));
}

TEST_F(PrepareEnvTest, BadPackagesNeverHarmTheOldInstallationOrAnythingOutside) {
    InstallOld();
    auto before = App();
    auto home_before = ListTree(env.fake.home());
    std::vector<std::function<void()>> breakers = {
        [&] { ::unlink(env.fake.package_path().c_str()); },
        [&] { WriteFile(env.fake.package_path(), ""); },
        [&] { WriteFile(env.fake.package_path(), std::string(5000, '\x5a')); },
        [&] {
            loxtest::ArchiveBuilder(loxtest::ArchiveKind::Tar)
                .AddFile("INFO", "[Version]\nbuild_version=999\n")
                .AddFile("../escaped", "x")
                .WriteTo(env.fake.package_path());
        },
        [&] {
            ::unlink(env.fake.package_path().c_str());
            MakeDirs(env.fake.package_path());
        },
    };
    for (size_t i = 0; i < breakers.size(); ++i) {
        breakers[i]();
        EXPECT_EQ(Replace(service), -1) << i;
        EXPECT_EQ(App(), before) << i;
        EXPECT_EQ(ListTree(env.fake.home()), home_before) << i;
        ::rmdir(env.fake.package_path().c_str());
    }
}

TEST_F(PrepareEnvTest, FailedFirstInstallationLeavesNoPartialTree) {
    BreakPackage();
    EXPECT_EQ(Replace(service), -1);
    EXPECT_FALSE(PathExists(env.fake.app_path()));
    EXPECT_FALSE(PathExists(env.Marker()));
    EXPECT_TRUE(env.log.Has("Failed to extract package, and no old installation to rollback\n"))
        << env.log.Text();
}

TEST_F(PrepareEnvTest, FailedFlushKeepsTheOldInstallation) {
    InstallOld();
    auto before = App();
    fail_flush = true;
    EXPECT_EQ(Replace(service), -1);
    EXPECT_EQ(App(), before);
    EXPECT_FALSE(PathExists(env.Backup(0)));
    EXPECT_TRUE(
        env.log.Has("): Extracted package could not be flushed to disk, rollback to old "
                    "installation\n"));
    EXPECT_FALSE(env.log.Has("Failed to extract package"));
}

TEST_F(PrepareEnvTest, PerUserRootThatIsAFileStaysUntouched) {
    WriteFile(env.fake.user_path(), "not a folder");
    EXPECT_EQ(Replace(service), -1);
    EXPECT_EQ(loxtest::ReadFile(env.fake.user_path()), "not a folder");
    EXPECT_TRUE(env.log.Has("): failed to create folder: '" + env.fake.app_path() + "'\n"));
    EXPECT_TRUE(env.log.Has("): Failed to extract package, and no old installation to rollback\n"));
}

// A linked per-user root is followed only into a folder of this user.
TEST_F(PrepareEnvTest, PerUserRootLinkedToAnotherUsersFolderStaysUntouched) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a folder to another user";
    const std::string foreign = env.fake.base() + "/foreign";
    MakeDirs(foreign);
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::symlink(foreign.c_str(), env.fake.user_path().c_str()), 0);
    EXPECT_EQ(Replace(service), -1);
    EXPECT_TRUE(std::filesystem::is_empty(foreign));
}

TEST_F(PrepareEnvTest, DanglingLinkInPlaceOfTheApplicationIsReplaced) {
    MakeDirs(env.fake.user_path());
    ASSERT_EQ(::symlink("/nonexistent/target", env.fake.app_path().c_str()), 0);
    ASSERT_EQ(Replace(service), 0);
    EXPECT_EQ(App(), FakeInstall::ClientTree("121"));
    EXPECT_FALSE(PathExists(env.Backup(0)));
}

// A user who runs the launcher with an installation that holds read-only directories (vendors
// ship such trees): no backup piles up, and one that cannot go is reported.
TEST_F(PrepareEnvTest, ReadOnlyDirectoriesNeitherKeepBackupsNorBlockTheirNames) {
    InstallOld();
    MakeDirs(env.fake.app_path() + "/vendor/ro");
    MakeDirs(env.Backup(1) + "/vendor/ro");
    loxtest::HandToNobody(env.fake.base(), env.fake.user_path());
    for (const std::string &tree : {env.fake.app_path(), env.Backup(1)})
        for (const char *dir : {"/vendor/ro", "/vendor"}) ::chmod((tree + dir).c_str(), 0555);
    WriteFile(RootsDir(env.Backup(0)) + "/f", "x");
    const int status = PrepareAsNobody(0);
    if (status < 0)
        GTEST_SKIP() << "cannot run as nobody here";
    ASSERT_EQ(status, 0);
    EXPECT_EQ(App(), FakeInstall::ClientTree("121"));
    EXPECT_FALSE(PathExists(env.Backup(1)));
    EXPECT_EQ(env.log.Count("cannot remove old backup '" + env.Backup(0) + "': Permission denied"),
              2);
}

// The partial tree in the way belongs to someone else, so no run can put the old one back.
TEST_F(PrepareEnvTest, RecoveryThatCannotFinishSaysOnEveryRunWhereTheOldInstallationIs) {
    env.fake.InstallClient("120");
    ASSERT_EQ(::rename(env.fake.app_path().c_str(), env.Backup(0).c_str()), 0);
    WriteFile(env.Marker(), "step=extract\nbackup=0\n");
    loxtest::HandToNobody(env.fake.base(), env.fake.user_path());
    WriteFile(RootsDir(env.fake.app_path()) + "/f", "x");
    const auto backup = ListTree(env.Backup(0));
    const int status = PrepareAsNobody(-1);
    if (status < 0)
        GTEST_SKIP() << "cannot run as nobody here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(PrepareAsNobody(-1), 0);
    EXPECT_EQ(env.log.Count("cannot restore the old installation: failed to remove '" +
                            env.fake.app_path() +
                            "': Permission denied; the old installation "
                            "is intact in '" +
                            env.Backup(0) + "'\n"),
              2);
    EXPECT_EQ(ListTree(env.Backup(0)), backup);
    EXPECT_TRUE(PathExists(env.Marker()));
}

TEST_F(PrepareEnvTest, UnwritablePerUserTreeKeepsTheOldInstallation) {
    InstallOld();
    auto before = App();
    ::chmod(env.fake.base().c_str(), 0755);
    const int status = PrepareAsNobody(-1);
    if (status < 0)
        GTEST_SKIP() << "cannot run as nobody here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(App(), before);
    EXPECT_FALSE(PathExists(env.Marker()));
}

class CopyPathTest : public ::testing::Test {
protected:
    svctest::ServiceEnv env;
    svctest::TestService service;
    std::string src = env.fake.base() + "/src";
    std::string dst = env.fake.base() + "/dst";
};

std::map<std::string, std::string> Contents(const std::string &dir) {
    auto tree = ListTree(dir);
    for (auto &entry : tree)
        if (entry.second.compare(0, 5, "file ") == 0)
            entry.second = entry.second.substr(entry.second.find(' ', 5) + 1);
        else if (entry.second.compare(0, 4, "dir ") == 0)
            entry.second = "dir";
    return tree;
}

TEST_F(CopyPathTest, NestedTreeIsRecreated) {
    MakeDirs(src + "/a/b/c");
    WriteFile(src + "/top", "1");
    WriteFile(src + "/a/b/c/deep", std::string(70000, 'd'));
    MakeDirs(src + "/empty");
    ASSERT_EQ(service.FSCopyPath(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(Contents(dst), Contents(src));
    EXPECT_TRUE(env.log.Has("copy from '" + src + "' to '" + dst + "'\n"));
}

TEST_F(CopyPathTest, SingleFileIsCopiedToTheDestinationPath) {
    WriteFile(src, "just one");
    ASSERT_EQ(service.FSCopyPath(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(loxtest::ReadFile(dst), "just one");
}

TEST_F(CopyPathTest, FailedCopyOfASingleFileIsReported) {
    WriteFile(src, "just one");
    std::string unreachable = dst + "/missing/copy";
    EXPECT_EQ(service.FSCopyPath(src.c_str(), unreachable.c_str()), -1);
    EXPECT_TRUE(env.log.Has("FSCopyPath: failed to copy from '" + src + "' to '" + unreachable));
}

TEST_F(CopyPathTest, MissingSourceFails) {
    EXPECT_EQ(service.FSCopyPath(src.c_str(), dst.c_str()), -1);
    EXPECT_TRUE(env.log.Has("FSCopyPath: source path '" + src + "' does not exist\n"));
    EXPECT_FALSE(PathExists(dst));
}

TEST_F(CopyPathTest, FailingEntryStopsTheCopy) {
    MakeDirs(src + "/sub");
    ASSERT_EQ(::symlink("/nonexistent/x", (src + "/sub/dangling").c_str()), 0);
    EXPECT_EQ(service.FSCopyPath(src.c_str(), dst.c_str()), -1);
    EXPECT_TRUE(env.log.Has("FSCopyPath: failed to copy from '" + src + "/sub/dangling' to '" +
                            dst + "/sub/dangling'\n"));
}

TEST_F(CopyPathTest, EntriesThatAreNotRegularFilesAreSkippedWithAWarning) {
    MakeDirs(src);
    WriteFile(src + "/file", "f");
    ASSERT_EQ(::mkfifo((src + "/fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", (src + "/device").c_str()), 0);
    EXPECT_EQ(service.FSCopyPath(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(ListTree(dst).size(), 1u);
    EXPECT_EQ(env.log.Count("[WARNING] cloud-service("), 2);
    EXPECT_TRUE(env.log.Has("FSCopyPath: skipping '" + src + "/fifo', it is not a regular file\n"));
}

TEST_F(CopyPathTest, FailedListingFailsTheCopy) {
    MakeDirs(src);
    WriteFile(src + "/file", "f");
    loxtest::readdir_entries_before_failure = 1;
    EXPECT_EQ(service.FSCopyPath(src.c_str(), dst.c_str()), -1);
    loxtest::readdir_entries_before_failure = -1;
    EXPECT_TRUE(env.log.Has("FSCopyPath: failed to list '" + src + "', the copy is incomplete\n"));
}

struct CopyArgs {
    std::string src;
    std::string dst;
};

int CopyAsNobody(void *arg) {
    auto *paths = static_cast<CopyArgs *>(arg);
    svctest::TestService service;
    return service.FSCopyPath(paths->src.c_str(), paths->dst.c_str()) == 0 ? 0 : 1;
}

TEST_F(CopyPathTest, UnreadableSourceDirectoryGivesAnEmptyCopy) {
    MakeDirs(src);
    WriteFile(src + "/secret", "s");
    ::chmod(src.c_str(), 0700);
    ::chmod(env.fake.base().c_str(), 0777);
    CopyArgs paths{src, dst};
    int status = loxtest::RunAsNobody(CopyAsNobody, &paths);
    if (status < 0)
        GTEST_SKIP() << "cannot run as nobody here";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(PathExists(dst));
    EXPECT_FALSE(PathExists(dst + "/secret"));
    EXPECT_TRUE(env.log.Has("FSCopyPath: failed to create handle  for src '" + src + "' failed"));
}

}  // namespace
