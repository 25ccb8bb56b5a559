// Directory listing and symbolic links.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string>

#include "common/file-op.h"
#include "tests/common/file_op_fixture.h"
#include "tests/support/readdir_fault.h"
#include "tests/support/temp_dir.h"

namespace {

class FileDirTest : public ::testing::Test {
protected:
    std::string At(const std::string &relative) const { return tmp_ / relative; }

    loxtest::TempDir tmp_;
};

// Every entry of a listing by name; fails the test on a read error.
std::map<std::string, DIR_ENTRY> ListAll(const std::string &path, int flags) {
    std::map<std::string, DIR_ENTRY> entries;
    DIR_HANDLE handle;
    if (FSOpenDir(path.c_str(), flags, handle) != 0) {
        ADD_FAILURE() << "cannot open " << path;
        return entries;
    }
    DIR_ENTRY entry;
    int status = 0;
    while ((status = FSReadDir(handle, entry)) == 1) entries[entry.name.c_str()] = entry;
    EXPECT_EQ(0, status);
    FSCloseDir(handle);
    return entries;
}

TEST_F(FileDirTest, EmptyDirectoryListsOnlyDotAndDotDot) {
    const auto entries = ListAll(tmp_.path(), 0);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(FS_TYPE_DIR, entries.at(".").type);
    EXPECT_EQ(FS_TYPE_DIR, entries.at("..").type);
}

TEST_F(FileDirTest, EntriesCarryTheTypeTheListingReports) {
    loxtest::WriteFile(At("file"), "12345");
    loxtest::MakeDirs(At("dir"));
    ASSERT_EQ(0, ::symlink("dir", At("link-to-dir").c_str()));
    ASSERT_EQ(0, ::mkfifo(At("fifo").c_str(), 0600));
    ASSERT_TRUE(fileop_test::MakeSocket(At("sock")));

    const auto entries = ListAll(tmp_.path(), 0);
    ASSERT_EQ(7u, entries.size());
    EXPECT_EQ(FS_TYPE_FILE, entries.at("file").type);
    EXPECT_EQ(FS_TYPE_DIR, entries.at("dir").type);
    EXPECT_EQ(FS_TYPE_LINK, entries.at("link-to-dir").type);
    EXPECT_EQ(FS_TYPE_FIFO, entries.at("fifo").type);
    EXPECT_EQ(FS_TYPE_SOCKET, entries.at("sock").type);
    for (const auto &named : entries) {
        EXPECT_EQ(0, named.second.mtime) << named.first;
        EXPECT_EQ(0, named.second.size) << named.first;
    }
}

TEST_F(FileDirTest, DeviceEntryInDevIsADevice) {
    const auto entries = ListAll("/dev", 0);
    ASSERT_EQ(1u, entries.count("null"));
    EXPECT_EQ(FS_TYPE_DEVICE, entries.at("null").type);
}

TEST_F(FileDirTest, WithInfoEntriesCarrySizeAndTimeOfTheEntryItself) {
    loxtest::WriteFile(At("file"), "12345");
    ASSERT_EQ(0, ::symlink("a-rather-long-target", At("link").c_str()));
    struct stat file;
    ASSERT_EQ(0, ::lstat(At("file").c_str(), &file));

    const auto entries = ListAll(tmp_.path(), FS_DIR_WITH_INFO);
    EXPECT_EQ(5, entries.at("file").size);
    EXPECT_EQ(static_cast<int32_t>(file.st_mtime), entries.at("file").mtime);
    EXPECT_EQ(static_cast<int64_t>(std::string("a-rather-long-target").size()),
              entries.at("link").size);
    EXPECT_EQ(FS_TYPE_LINK, entries.at("link").type);
}

TEST_F(FileDirTest, EntryRemovedAfterListingGivesZerosWithInfo) {
    for (const char *name : {"a", "b", "c", "d"}) loxtest::WriteFile(At(name), "content");
    DIR_HANDLE handle;
    ASSERT_EQ(0, FSOpenDir(tmp_.path().c_str(), FS_DIR_WITH_INFO, handle));
    DIR_ENTRY entry;
    // The first read fetches the whole small listing; the files go after it.
    ASSERT_EQ(1, FSReadDir(handle, entry));
    for (const char *name : {"a", "b", "c", "d"}) ::unlink(At(name).c_str());
    int status = 0;
    int vanished = 0;
    while ((status = FSReadDir(handle, entry)) == 1) {
        const std::string name = entry.name.c_str();
        if (name == "." || name == "..")
            continue;
        ++vanished;
        EXPECT_EQ(0, entry.size) << name;
        EXPECT_EQ(0, entry.mtime) << name;
    }
    EXPECT_EQ(0, status);
    FSCloseDir(handle);
    EXPECT_GT(vanished, 0) << "the listing did not keep the removed entries";
}

TEST_F(FileDirTest, OpenDirRefusesFilesAndMissingPaths) {
    loxtest::WriteFile(At("file"), "x");
    DIR_HANDLE handle;
    handle.flags = 5;
    EXPECT_EQ(-1, FSOpenDir(At("file").c_str(), 0, handle));
    EXPECT_EQ(ENOTDIR, errno);
    EXPECT_EQ(-1, FSOpenDir(At("missing").c_str(), 0, handle));
    EXPECT_EQ(-1, FSOpenDir("", 0, handle));
    EXPECT_EQ(nullptr, handle.dir);
    EXPECT_EQ(5, handle.flags);
}

TEST_F(FileDirTest, FailedListingIsAnErrorNotTheEnd) {
    DIR_HANDLE handle;
    ASSERT_EQ(0, FSOpenDir(tmp_.path().c_str(), 0, handle));
    loxtest::readdir_entries_before_failure = 1;
    DIR_ENTRY entry;
    EXPECT_EQ(1, FSReadDir(handle, entry));
    EXPECT_EQ(-1, FSReadDir(handle, entry));
    EXPECT_EQ(EIO, errno);
    loxtest::readdir_entries_before_failure = -1;
    FSCloseDir(handle);
}

TEST_F(FileDirTest, ClosedOrNeverOpenedHandleIsHarmless) {
    DIR_HANDLE handle;
    FSCloseDir(handle);
    DIR_ENTRY entry;
    EXPECT_EQ(-1, FSReadDir(handle, entry));

    ASSERT_EQ(0, FSOpenDir(tmp_.path().c_str(), FS_DIR_WITH_INFO, handle));
    FSCloseDir(handle);
    EXPECT_EQ(nullptr, handle.dir);
    EXPECT_TRUE(handle.path.empty());
    EXPECT_EQ(FS_DIR_WITH_INFO, handle.flags);
    EXPECT_EQ(-1, FSReadDir(handle, entry));
}

TEST_F(FileDirTest, NamesAreListedByteForByte) {
    const std::string odd = "sp ace-\xc3\xa9-\xff";
    loxtest::WriteFile(At(odd), "x");
    const auto entries = ListAll(tmp_.path(), FS_DIR_WITH_INFO);
    ASSERT_EQ(1u, entries.count(odd));
    EXPECT_EQ(1, entries.at(odd).size);
}

TEST_F(FileDirTest, SymbolicLinkStoresItsTextUnchanged) {
    ASSERT_EQ(0, FSCreateSymbolicLink("../does/not/exist", At("link").c_str()));
    ustring target;
    ASSERT_EQ(0, FSReadSymbolicLink(At("link").c_str(), target));
    EXPECT_EQ(ustring("../does/not/exist"), target);
}

TEST_F(FileDirTest, CreateSymbolicLinkDoesNotReplaceAnEntry) {
    loxtest::WriteFile(At("taken"), "kept");
    EXPECT_EQ(-1, FSCreateSymbolicLink("elsewhere", At("taken").c_str()));
    EXPECT_EQ(EEXIST, errno);
    EXPECT_EQ("kept", loxtest::ReadFile(At("taken")));
    EXPECT_EQ(-1, FSCreateSymbolicLink("", At("empty-target").c_str()));
}

TEST_F(FileDirTest, ReadSymbolicLinkFailsOnOtherEntriesAndKeepsTheOutput) {
    loxtest::WriteFile(At("file"), "x");
    ustring target = "unchanged";
    EXPECT_EQ(-1, FSReadSymbolicLink(At("file").c_str(), target));
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(-1, FSReadSymbolicLink(At("missing").c_str(), target));
    EXPECT_EQ(ENOENT, errno);
    EXPECT_EQ(ustring("unchanged"), target);
}

TEST_F(FileDirTest, ReadSymbolicLinkTakesTheLongestTextTheSystemStores) {
    std::string longest;
    while (longest.size() + 2 <= 4095) longest += "a/";
    longest.resize(4095, 'b');
    ASSERT_EQ(0, FSCreateSymbolicLink(longest.c_str(), At("long").c_str()));
    ustring target;
    ASSERT_EQ(0, FSReadSymbolicLink(At("long").c_str(), target));
    EXPECT_EQ(4095u, target.length());
    EXPECT_EQ(ustring(longest), target);
}

}  // namespace
