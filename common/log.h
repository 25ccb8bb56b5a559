#pragma once

#include <pthread.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>

// Process-wide logger with per-component thresholds; static members only.
class Logger {
public:
    enum Type { TYPE_SYSLOG = 0, TYPE_STDOUT = 1, TYPE_STDERR = 2, TYPE_FILE = 3 };
    enum Level {
        LEVEL_ERROR = 3,
        LEVEL_WARNING = 4,
        LEVEL_NOTE = 5,
        LEVEL_INFO = 6,
        LEVEL_DEBUG = 7
    };
    enum SafetyScope { SCOPE_NONE = 0, SCOPE_THREAD = 1, SCOPE_PROCESS = 2 };
    enum ConfigFlag { FLAG_NEWLINE = 2, FLAG_ERRNO = 4 };

    struct InitConfig {
        Type type = TYPE_STDOUT;
        std::string log_file;
        std::string level_file;
        int rotate_count = 50;
        SafetyScope safety_scope = SCOPE_THREAD;
    };

    Logger() = delete;

    static int Initialize(const InitConfig &init);
    static int Initialize(Type type, const std::string &log_file, const std::string &level_file,
                          int rotate_count, SafetyScope safety_scope);
    static void Destroy();

    static bool IsNeedToLog(Level level, const std::string &component);
    static int GetCompLevel(const std::string &component);

    static void LogMsg(Level level, const std::string &component, const char *format, ...)
        __attribute__((format(printf, 3, 4)));
    static void LogMsg2(Level level, const std::string &component, const char *format, va_list args)
        __attribute__((format(printf, 3, 0)));
    // flags: ConfigFlag bits.
    static void LogMsg3(Level level, const std::string &component, std::stringstream &text,
                        int flags);

    static int PrintToFilePointer(const char *format, ...) __attribute__((format(printf, 1, 2)));
    static int PrintToFilePointerV(const char *format, va_list args)
        __attribute__((format(printf, 1, 0)));
    static void FlushFileStream(long bytes);

    static void InitializeLock();
    static void DestroyLock();
    static void Lock();
    static void Unlock();
    static void InitializeFileLock();
    static void DestroyFileLock();

    // Size counting and rotation of the log file.
    static void InitializeSharedData();
    static void DestroySharedData();
    static int GetFileSize(const std::string &path);
    static int RotateIfFileBig(int bytes_written);
    static int Rotate();
    static void ReloadLogFile();

    static InitConfig config;
    static std::map<std::string, int> log_level;
    static bool log_initialized;
    static FILE *log_fp;
    static std::string log_path;
    static pthread_mutex_t *log_lock;
    static int32_t *log_size;
    static int64_t *log_rotated_count_shared;
    static int64_t log_rotated_count_private;
    static int log_flock;
};

// For callers that have no std::string at hand.
void LogMSG_c(int level, const char *component, const char *format, va_list args)
    __attribute__((format(printf, 3, 0)));

// The thread id as log lines show it.
inline int lox_thread_id() {
    return static_cast<int>(static_cast<unsigned long>(pthread_self()) % 100000UL);
}

// One log site, one line:
//   LOX_LOG(ERROR, "launcher_debug", "launcher", "Failed to upgrade package");
// expands to the IsNeedToLog guard and Logger::LogMsg with the format
//   "(%5d:%5d) [ERROR] launcher(%d): Failed to upgrade package\n", getpid(), thread id, __LINE__.
// The format travels inside "..." and is split off by argument counting, so sites without
// arguments need no "##__VA_ARGS__" (which -Wpedantic rejects) and every site stays
// format-checked by both compilers. At most 20 arguments after the format.
#define LOX_LOG(level, component, module, ...)                                              \
    do {                                                                                    \
        if (Logger::IsNeedToLog(Logger::LEVEL_##level, component))                          \
            Logger::LogMsg(Logger::LEVEL_##level, component,                                \
                           "(%5d:%5d) [" #level "] " module                                 \
                           "(%d): " LOX_LOG_FORMAT_(__VA_ARGS__, unused) "\n",              \
                           getpid(), lox_thread_id(), __LINE__ LOX_LOG_ARGS_(__VA_ARGS__)); \
    } while (0)

// Helpers of LOX_LOG: the format (first argument) and ", the rest" (nothing when there is none).
#define LOX_LOG_FORMAT_(fmt, ...) fmt
#define LOX_LOG_ARGS_(...) LOX_LOG_CAT_(LOX_LOG_ARGS_, LOX_LOG_COUNT_(__VA_ARGS__))(__VA_ARGS__)
#define LOX_LOG_ARGS_ONE(fmt)
#define LOX_LOG_ARGS_MORE(fmt, ...) , __VA_ARGS__
#define LOX_LOG_CAT_(a, b) LOX_LOG_CAT2_(a, b)
#define LOX_LOG_CAT2_(a, b) a##b
#define LOX_LOG_COUNT_(...)                                                                      \
    LOX_LOG_PICK_(__VA_ARGS__, MORE, MORE, MORE, MORE, MORE, MORE, MORE, MORE, MORE, MORE, MORE, \
                  MORE, MORE, MORE, MORE, MORE, MORE, MORE, MORE, MORE, ONE, unused)
#define LOX_LOG_PICK_(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17, \
                      a18, a19, a20, a21, which, ...)                                             \
    which
