// The diagnostics of the file-system library: level, module word and text of each line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "common/file-op.h"
#include "common/log.h"
#include "tests/support/temp_dir.h"

namespace {

class FileOpLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        loxtest::WriteFile(tmp_ / "levels", "file_op_debug=7\n");
        ASSERT_EQ(0, Logger::Initialize(Logger::TYPE_FILE, tmp_ / "file-op.log", tmp_ / "levels",
                                        50, Logger::SCOPE_THREAD));
    }
    void TearDown() override { Logger::Destroy(); }

    std::string At(const std::string &relative) const { return tmp_ / relative; }

    // The texts after "[LEVEL] file-op(line): " of every line logged so far.
    std::vector<std::string> Messages(const std::string &level) const {
        std::vector<std::string> texts;
        std::istringstream log(loxtest::ReadFile(tmp_ / "file-op.log"));
        const std::string marker = "[" + level + "] file-op(";
        std::string line;
        while (std::getline(log, line)) {
            const size_t at = line.find(marker);
            if (at == std::string::npos)
                continue;
            const size_t text = line.find("): ", at);
            if (text != std::string::npos)
                texts.push_back(line.substr(text + 3));
        }
        return texts;
    }

    size_t LineCount() const {
        const std::string log = loxtest::ReadFile(tmp_ / "file-op.log");
        return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
    }

    loxtest::TempDir tmp_;
};

TEST_F(FileOpLogTest, MkDirOnAFileNamesThePathAndTheType) {
    loxtest::WriteFile(At("file"), "x");
    ASSERT_EQ(-1, FSMKDir(At("file").c_str(), true));
    const std::vector<std::string> expected = {
        "FSMKDir: Create a folder but local file system is not directory '" + At("file") + "' (1)"};
    EXPECT_EQ(expected, Messages("ERROR"));
}

TEST_F(FileOpLogTest, MkDirOnAnExistingDirectoryLogsNothing) {
    ASSERT_EQ(0, FSMKDir(tmp_.path().c_str(), true));
    EXPECT_EQ(0u, LineCount());
}

TEST_F(FileOpLogTest, RealPathLogsBothPathsWithTwoBlanks) {
    ustring path = (tmp_.path() + "/.").c_str();
    ASSERT_EQ(0, FSGetRealPath(path));
    const std::vector<std::string> expected = {
        " org path [" + tmp_.path() + "/.]", " get full path [" + std::string(path.c_str()) + "]"};
    EXPECT_EQ(expected, Messages("DEBUG"));
}

TEST_F(FileOpLogTest, FailedCopyLogsTheSystemTextAndKeepsErrno) {
    ASSERT_EQ(-1, FSCopy(At("missing").c_str(), At("copy").c_str(), false));
    EXPECT_EQ(ENOENT, errno);
    const std::vector<std::string> expected = {"CopyFile: open(" + At("missing") +
                                               "): No such file or directory (2)"};
    EXPECT_EQ(expected, Messages("ERROR"));
}

TEST_F(FileOpLogTest, MkDirPOnAFileLogsAtInfoAndSetsEexist) {
    loxtest::WriteFile(At("file"), "x");
    ASSERT_EQ(-1, FSMKDirP(At("file").c_str(), nullptr, false, FS_MKDIR_DEFAULT_MODE));
    EXPECT_EQ(EEXIST, errno);
    const std::vector<std::string> expected = {
        "FSMKDirP: path: " + At("file") + " is existing file or symbolic link pointed to file"};
    EXPECT_EQ(expected, Messages("INFO"));
}

TEST_F(FileOpLogTest, MkDirFromRootLogsEachLevelAndRefusals) {
    loxtest::MakeDirs(At("r"));
    ASSERT_EQ(0, FSMKDirFromRoot(At("r/a/b").c_str(), At("r").c_str()));
    const std::vector<std::string> created = {"FSMKDirFromRoot: create /a",
                                              "FSMKDirFromRoot: create /a/b"};
    EXPECT_EQ(created, Messages("DEBUG"));

    ASSERT_EQ(-1, FSMKDirFromRoot(At("r").c_str(), At("r/a").c_str()));
    ASSERT_EQ(-1, FSMKDirFromRoot(At("r/a").c_str(), At("r/").c_str()));
    const std::vector<std::string> refused = {
        "Giving a root '" + At("r/a") + "' whose length is larger then target's '" + At("r") + "'.",
        "root '" + At("r/") + "' is not a parent folder of target '" + At("r/a") + "'"};
    EXPECT_EQ(refused, Messages("ERROR"));
}

TEST_F(FileOpLogTest, ListingAndLinkFailuresNameThePath) {
    DIR_HANDLE handle;
    ASSERT_EQ(-1, FSOpenDir(At("missing").c_str(), 0, handle));
    ustring target;
    ASSERT_EQ(-1, FSReadSymbolicLink(At("missing").c_str(), target));
    loxtest::WriteFile(At("taken"), "x");
    ASSERT_EQ(-1, FSCreateSymbolicLink("t", At("taken").c_str()));
    const std::vector<std::string> expected = {
        "FSOpenDir: Failed to open directory '" + At("missing") + "'. No such file or directory",
        "FSReadSymbolicLink: Failed to read symbolic link '" + At("missing") +
            "' (code: 2, msg: No such file or directory)",
        "FSCreateSymbolicLink: Failed to create symbolic link 't' -> '" + At("taken") +
            "' (code: 17, msg: File exists)"};
    EXPECT_EQ(expected, Messages("ERROR"));
}

TEST_F(FileOpLogTest, MktempNamesTheTemplate) {
    ustring created;
    ASSERT_EQ(-1, FSMktemp(At("missing").c_str(), created));
    const std::vector<std::string> expected = {"mkstemp(" + At("missing") +
                                               "/XXXXXX): No such file or directory"};
    EXPECT_EQ(expected, Messages("ERROR"));
}

}  // namespace
