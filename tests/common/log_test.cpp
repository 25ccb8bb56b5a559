#include "common/log.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/stderr_capture.h"
#include "tests/support/temp_dir.h"

namespace {

const int kThreshold = 5242880;
const char kTimePrefix[] = "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2} ";
const size_t kTimePrefixSize = 20;

// Puts the logger back into the state the process starts in.
void RestoreStartState() {
    Logger::Destroy();
    Logger::config = Logger::InitConfig();
    Logger::log_level.clear();
    Logger::log_fp = stderr;
    Logger::log_path.clear();
    Logger::log_rotated_count_private = 0;
    Logger::log_initialized = true;
}

bool MatchesLine(const std::string &text, const std::string &message_pattern) {
    return std::regex_match(text, std::regex(std::string(kTimePrefix) + message_pattern));
}

class LoggerTest : public ::testing::Test {
protected:
    void TearDown() override { RestoreStartState(); }

    int InitFile(int rotate_count = 50, Logger::SafetyScope scope = Logger::SCOPE_THREAD,
                 const std::string &level_file = "") {
        return Logger::Initialize(Logger::TYPE_FILE, log, level_file, rotate_count, scope);
    }
    std::string Rotated(int index) const { return log + "_" + std::to_string(index); }

    loxtest::TempDir dir;
    std::string log = dir / "launcher.log";
};

TEST_F(LoggerTest, StartStateWritesErrorsAndWarningsToStandardError) {
    EXPECT_TRUE(Logger::IsNeedToLog(Logger::LEVEL_ERROR, "anything"));
    EXPECT_TRUE(Logger::IsNeedToLog(Logger::LEVEL_WARNING, "launcher_debug"));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_NOTE, "launcher_debug"));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_DEBUG, "launcher_debug"));

    loxtest::StderrCapture capture(dir / "stderr");
    Logger::LogMsg(Logger::LEVEL_ERROR, "launcher_debug", "error %d\n", 1);
    Logger::LogMsg(Logger::LEVEL_INFO, "launcher_debug", "info %d\n", 2);
    Logger::LogMsg(Logger::LEVEL_WARNING, "service_debug", "warning %d\n", 3);
    std::string text = capture.Text();
    EXPECT_TRUE(MatchesLine(text, "error 1\n[^\n]*warning 3\n")) << text;
    EXPECT_TRUE(MatchesLine(text.substr(text.find('\n') + 1), "warning 3\n")) << text;
}

TEST_F(LoggerTest, LogSiteMacroWritesTheCallingConventionLine) {
    ASSERT_EQ(0, InitFile());
    LOX_LOG(ERROR, "launcher_debug", "launcher", "Failed to upgrade package");
    int first_line = __LINE__ - 1;
    LOX_LOG(WARNING, "service_debug", "cloud-service", "failed to create folder: '%s'", "/x");
    int second_line = __LINE__ - 1;
    LOX_LOG(DEBUG, "service_debug", "cloud-service", "filtered out");

    char expected[512];
    std::snprintf(expected, sizeof(expected),
                  "\\(%5d:%5d\\) \\[ERROR\\] launcher\\(%d\\): Failed to upgrade package\n"
                  "[^\n]*\\(%5d:%5d\\) \\[WARNING\\] cloud-service\\(%d\\): failed to create "
                  "folder: '/x'\n",
                  getpid(), lox_thread_id(), first_line, getpid(), lox_thread_id(), second_line);
    std::string text = loxtest::ReadFile(log);
    EXPECT_TRUE(MatchesLine(text, expected)) << text;
}

TEST_F(LoggerTest, LevelFileSetsThresholdsPerComponent) {
    std::string levels = dir / "launcher.debug";
    loxtest::WriteFile(levels, "launcher_debug = 7\nservice_debug=off\nextractor_debug=5x\n");
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_THREAD, levels));

    EXPECT_TRUE(Logger::IsNeedToLog(Logger::LEVEL_DEBUG, "launcher_debug"));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_ERROR, "service_debug"));  // not a number: 0
    EXPECT_TRUE(Logger::IsNeedToLog(Logger::LEVEL_NOTE, "extractor_debug"));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_INFO, "extractor_debug"));
    EXPECT_TRUE(Logger::IsNeedToLog(Logger::LEVEL_WARNING, "file_op_debug"));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_NOTE, "file_op_debug"));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_NOTE, "Launcher_debug"));  // exact match only
    EXPECT_EQ(4, Logger::log_level["default_component"]);

    Logger::LogMsg(Logger::LEVEL_DEBUG, "launcher_debug", "debug passes\n");
    Logger::LogMsg(Logger::LEVEL_ERROR, "service_debug", "silenced\n");
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(log), "debug passes\n"));

    // A later Initialize keeps the entries it does not override.
    ASSERT_EQ(0, Logger::Initialize(Logger::TYPE_STDERR, "", "", 50, Logger::SCOPE_THREAD));
    EXPECT_EQ(7, Logger::GetCompLevel("launcher_debug"));
}

TEST_F(LoggerTest, MalformedOrUnreadableLevelFileIsIgnored) {
    std::string levels = dir / "launcher.debug";
    loxtest::WriteFile(levels, "launcher_debug=7\nthis line is malformed\n");
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_THREAD, levels));
    EXPECT_EQ(4, Logger::GetCompLevel("launcher_debug"));
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_THREAD, dir.path()));  // a directory
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_THREAD, dir / "missing"));
    EXPECT_EQ(4, Logger::GetCompLevel("launcher_debug"));
}

TEST_F(LoggerTest, FailedInitializeLogsNothingAtAll) {
    loxtest::StderrCapture capture(dir / "stderr");
    EXPECT_EQ(-1, Logger::Initialize(Logger::TYPE_FILE, dir / "missing/launcher.log", "", 50,
                                     Logger::SCOPE_THREAD));
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_ERROR, "launcher_debug"));
    Logger::LogMsg(Logger::LEVEL_ERROR, "launcher_debug", "lost\n");
    EXPECT_EQ(-1, Logger::Initialize(Logger::TYPE_FILE, "", "", 50, Logger::SCOPE_THREAD));
    Logger::LogMsg(Logger::LEVEL_ERROR, "launcher_debug", "lost\n");
    Logger::Destroy();  // must not close the standard error it never opened
    EXPECT_NE(-1, ::fcntl(2, F_GETFD));
    EXPECT_EQ("", capture.Text());
}

int InitializeInReadOnlyDirectory(void *path) {
    int result = Logger::Initialize(Logger::TYPE_FILE, static_cast<const char *>(path), "", 50,
                                    Logger::SCOPE_THREAD);
    return result == -1 && !Logger::IsNeedToLog(Logger::LEVEL_ERROR, "x") ? 0 : 1;
}

TEST_F(LoggerTest, LogPathInReadOnlyDirectoryFails) {
    std::string readonly = dir / "readonly";
    loxtest::MakeDirs(readonly);
    ASSERT_EQ(0, ::chmod(dir.path().c_str(), 0755));
    ASSERT_EQ(0, ::chmod(readonly.c_str(), 0555));
    std::string path = readonly + "/launcher.log";
    int status = loxtest::RunAsNobody(InitializeInReadOnlyDirectory, &path[0]);
    if (status == -1)
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(0, status);
}

TEST_F(LoggerTest, DestroyStopsLogging) {
    ASSERT_EQ(0, InitFile());
    Logger::Destroy();
    EXPECT_FALSE(Logger::IsNeedToLog(Logger::LEVEL_ERROR, "launcher_debug"));
    EXPECT_EQ(stdout, Logger::log_fp);
    EXPECT_EQ(nullptr, Logger::log_size);
    Logger::LogMsg(Logger::LEVEL_ERROR, "launcher_debug", "after destroy\n");
    EXPECT_EQ("", loxtest::ReadFile(log));
}

void LogThroughCInterface(int level, const char *component, const char *format, ...) {
    va_list args;
    va_start(args, format);
    LogMSG_c(level, component, format, args);
    va_end(args);
}

TEST_F(LoggerTest, LogMsg3FlagsAndTheCInterface) {
    ASSERT_EQ(0, InitFile());
    std::stringstream plain("no error");
    errno = 0;
    Logger::LogMsg3(Logger::LEVEL_ERROR, "c", plain, Logger::FLAG_ERRNO | Logger::FLAG_NEWLINE);
    std::stringstream with_error("open failed");
    errno = ENOENT;
    Logger::LogMsg3(Logger::LEVEL_ERROR, "c", with_error,
                    Logger::FLAG_ERRNO | Logger::FLAG_NEWLINE);
    EXPECT_EQ(ENOENT, errno);  // the caller's errno survives the logging
    std::stringstream no_newline("joined ");
    Logger::LogMsg3(Logger::LEVEL_ERROR, "c", no_newline, 0);
    LogThroughCInterface(Logger::LEVEL_WARNING, "c", "from C %s\n", "code");
    LogThroughCInterface(Logger::LEVEL_NOTE, "c", "filtered\n");

    std::string expected = std::string("no error\n[^\n]*open failed, err=2:") +
                           std::strerror(ENOENT) + "\n[^\n]*joined [^\n]*from C code\n";
    std::string text = loxtest::ReadFile(log);
    EXPECT_TRUE(MatchesLine(text, expected)) << text;
}

TEST_F(LoggerTest, GetFileSizeReportsAFailedStatInTheLog) {
    ASSERT_EQ(0, InitFile());
    EXPECT_EQ(0, Logger::GetFileSize(dir / "missing"));
    std::string expected =
        "stat\\(" + (dir / "missing") + "\\): " + std::strerror(ENOENT) + " \\(2\\)\n";
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(log), expected));
}

// ---- rotation ----------------------------------------------------------------------------

TEST_F(LoggerTest, RotatesOnlyWhenTheSizeExceedsTheThreshold) {
    const std::string message = "exact\n";
    loxtest::WriteFile(log, std::string(kThreshold - kTimePrefixSize - message.size(), 'o'));
    ASSERT_EQ(0, InitFile());
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "exact\n");
    EXPECT_EQ(kThreshold, *Logger::log_size);
    EXPECT_FALSE(loxtest::PathExists(Rotated(0)));

    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "over\n");
    ASSERT_TRUE(loxtest::PathExists(Rotated(0)));
    std::string rotated = loxtest::ReadFile(Rotated(0));
    EXPECT_EQ(kThreshold + kTimePrefixSize + 5, rotated.size());
    EXPECT_EQ("over\n", rotated.substr(rotated.size() - 5));
    EXPECT_EQ(0, *Logger::log_size);
    EXPECT_EQ("", loxtest::ReadFile(log));

    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "fresh\n");
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(log), "fresh\n"));
}

TEST_F(LoggerTest, FileAlreadyFullAtStartRotatesAfterTheFirstMessage) {
    loxtest::WriteFile(log, std::string(kThreshold, 'o'));
    ASSERT_EQ(0, InitFile());
    EXPECT_EQ(kThreshold, *Logger::log_size);
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "first\n");
    EXPECT_TRUE(loxtest::PathExists(Rotated(0)));
    EXPECT_EQ("", loxtest::ReadFile(log));
}

TEST_F(LoggerTest, KeepsRotateCountFilesInAll) {
    ASSERT_EQ(0, InitFile(50));
    // Each message finds the count at the threshold, so each one rotates.
    for (int i = 0; i < 60; ++i) {
        *Logger::log_size = kThreshold;
        Logger::LogMsg(Logger::LEVEL_ERROR, "c", "message %d\n", i);
    }
    for (int index = 0; index <= 48; ++index) EXPECT_TRUE(loxtest::PathExists(Rotated(index)));
    EXPECT_FALSE(loxtest::PathExists(Rotated(49)));
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(Rotated(0)), "message 59\n"));
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(Rotated(48)), "message 11\n"));
    EXPECT_EQ("", loxtest::ReadFile(log));
    EXPECT_EQ(60, *Logger::log_rotated_count_shared);
}

TEST_F(LoggerTest, SmallRotateCountsWithRealSizes) {
    ASSERT_EQ(0, InitFile(3));
    const std::string block(1024 * 1024, 'b');
    for (int i = 0; i < 24; ++i) Logger::LogMsg(Logger::LEVEL_ERROR, "c", "%s\n", block.c_str());
    // Five messages cross the threshold: 24 messages make four rotations.
    EXPECT_TRUE(loxtest::PathExists(Rotated(0)));
    EXPECT_TRUE(loxtest::PathExists(Rotated(1)));
    EXPECT_FALSE(loxtest::PathExists(Rotated(2)));
    EXPECT_EQ(4, *Logger::log_rotated_count_shared);
}

TEST_F(LoggerTest, RotateCountBelowTwoKeepsOneRotatedFile) {
    for (int count : {1, 0}) {
        ASSERT_EQ(0, InitFile(count));
        *Logger::log_size = kThreshold;
        Logger::LogMsg(Logger::LEVEL_ERROR, "c", "again\n");
        EXPECT_TRUE(MatchesLine(loxtest::ReadFile(Rotated(0)), "again\n"));
        EXPECT_FALSE(loxtest::PathExists(Rotated(1)));
    }
}

TEST_F(LoggerTest, StandardStreamsNeverCountOrRotate) {
    ASSERT_EQ(0, Logger::Initialize(Logger::TYPE_STDOUT, log, "", 50, Logger::SCOPE_PROCESS));
    EXPECT_EQ(Logger::SCOPE_NONE, Logger::config.safety_scope);
    EXPECT_EQ(nullptr, Logger::log_lock);
    EXPECT_EQ(0, Logger::RotateIfFileBig(kThreshold * 2));
    EXPECT_EQ(-1, *Logger::log_size);
    EXPECT_FALSE(loxtest::PathExists(log));
}

TEST_F(LoggerTest, LiveFileGoneAtRotationIsStartedAnewAndLoggingGoesOn) {
    ASSERT_EQ(0, InitFile());
    // Another process moved the live file away just before this one rotates.
    ASSERT_EQ(0, std::rename(log.c_str(), (dir / "moved").c_str()));
    *Logger::log_size = kThreshold;
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "triggers a rotation that finds no file\n");
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "kept\n");
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(log), "kept\n"));
}

TEST_F(LoggerTest, MessageTheFileCannotTakeGoesToStandardErrorWhole) {
    log = "/dev/full";  // every write fails as on a full disk
    ASSERT_EQ(0, InitFile());
    loxtest::StderrCapture capture(dir / "stderr");
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "first %d\n", 1);
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "second %s\n", "message");
    std::string text = capture.Text();
    EXPECT_TRUE(MatchesLine(text, "first 1\n[^\n]*second message\n")) << text;
    EXPECT_EQ(0, *Logger::log_size);
}

TEST_F(LoggerTest, ProcessScopeReopensWhenAnotherWriterRotated) {
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_PROCESS));
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "before\n");
    // What another process's rotation would leave: the file moved and the shared count ahead.
    ASSERT_EQ(0, std::rename(log.c_str(), Rotated(0).c_str()));
    ++*Logger::log_rotated_count_shared;
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "after\n");
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(Rotated(0)), "before\n"));
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(log), "after\n"));
    EXPECT_EQ(static_cast<int>(loxtest::ReadFile(log).size()), *Logger::log_size);
    EXPECT_EQ(*Logger::log_rotated_count_shared, Logger::log_rotated_count_private);
}

TEST_F(LoggerTest, ThreadScopeNeverReopens) {
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_THREAD));
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "before\n");
    ASSERT_EQ(0, std::rename(log.c_str(), Rotated(0).c_str()));
    ++*Logger::log_rotated_count_shared;
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "after\n");
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(Rotated(0)), "before\n[^\n]*after\n"));
    EXPECT_FALSE(loxtest::PathExists(log));
}

TEST_F(LoggerTest, CrossingAfterAnotherProcessRotatedFollowsItsFileInsteadOfRotatingAgain) {
    ASSERT_EQ(0, InitFile(50, Logger::SCOPE_THREAD));
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "before\n");
    // What another launcher's rotation leaves: our file moved aside, a fresh one in its place.
    ASSERT_EQ(0, std::rename(log.c_str(), Rotated(0).c_str()));
    loxtest::WriteFile(log, "theirs\n");
    *Logger::log_size = kThreshold;
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "crossing\n");
    Logger::LogMsg(Logger::LEVEL_ERROR, "c", "after\n");
    EXPECT_TRUE(MatchesLine(loxtest::ReadFile(Rotated(0)), "before\n[^\n]*crossing\n"));
    EXPECT_TRUE(std::regex_match(loxtest::ReadFile(log),
                                 std::regex("theirs\n" + std::string(kTimePrefix) + "after\n")));
    EXPECT_FALSE(loxtest::PathExists(Rotated(1)));
    EXPECT_EQ(static_cast<int>(loxtest::ReadFile(log).size()), *Logger::log_size);
}

TEST_F(LoggerTest, MessagesOfTwoThreadsNeverInterleave) {
    ASSERT_EQ(0, InitFile());
    const int kMessages = 3000;
    auto writer = [](char fill) {
        const std::string text(300, fill);
        for (int i = 0; i < kMessages; ++i)
            Logger::LogMsg(Logger::LEVEL_ERROR, "c", "%s %d\n", text.c_str(), i);
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();

    std::string text = loxtest::ReadFile(log);
    std::regex line(std::string(kTimePrefix) + "(a{300}|b{300}) [0-9]+");
    int lines = 0;
    for (size_t begin = 0, end; (end = text.find('\n', begin)) != std::string::npos;
         begin = end + 1) {
        ASSERT_TRUE(std::regex_match(text.substr(begin, end - begin), line))
            << "line " << lines << ": " << text.substr(begin, 40);
        ++lines;
    }
    EXPECT_EQ(2 * kMessages, lines);
}

}  // namespace
