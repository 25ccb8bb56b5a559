#include "common/log.h"

#include <sys/stat.h>
#include <syslog.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <new>

#include "common/config.h"

namespace {

const int32_t kRotateThreshold = 5 * 1024 * 1024;
const int kDefaultThreshold = Logger::LEVEL_WARNING;
const char kDefaultComponent[] = "default_component";

// Streams the logger opened itself; the standard streams are never closed by it.
bool IsOwnStream(FILE *stream) {
    return stream != nullptr && stream != stdout && stream != stderr;
}

void CloseOwnStream(FILE *stream) {
    if (IsOwnStream(stream))
        std::fclose(stream);
}

int ClampedFileSize(off_t size) {
    // A file past 2 GiB still counts as "big" instead of wrapping to a negative size.
    if (size > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int>(size);
}

int32_t SaturatingAdd(int32_t size, int bytes) {
    int64_t sum = static_cast<int64_t>(size) + bytes;
    if (sum > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(sum);
}

std::string RotatedName(const std::string &path, int index) {
    char name[1024];
    std::snprintf(name, sizeof(name), "%s_%d", path.c_str(), index);
    return name;
}

// True when path names another file than the stream writes: another process sharing the log
// rotated it. A missing path is no such sign (the rotation then fails as it always did).
bool PathLeftStream(const std::string &path, FILE *stream) {
    struct stat open_file;
    struct stat named;
    if (stream == nullptr || ::fstat(fileno(stream), &open_file) != 0 ||
        ::stat(path.c_str(), &named) != 0)
        return false;
    return open_file.st_dev != named.st_dev || open_file.st_ino != named.st_ino;
}

// Writes on in the file that now has the log's name; its size is what it holds already.
int FollowRotatedLog() {
    CloseOwnStream(Logger::log_fp);
    Logger::log_fp = std::fopen(Logger::log_path.c_str(), "ae");
    *Logger::log_size = Logger::log_fp != nullptr ? Logger::GetFileSize(Logger::log_path) : 0;
    return Logger::log_fp != nullptr ? 0 : -1;
}

int ParseThreshold(const std::string &text) {
    std::stringstream stream(text);
    int threshold = 0;
    stream >> threshold;
    return threshold;
}

}  // namespace

Logger::InitConfig Logger::config;
std::map<std::string, int> Logger::log_level;
bool Logger::log_initialized = true;
FILE *Logger::log_fp = stderr;
std::string Logger::log_path;
pthread_mutex_t *Logger::log_lock = nullptr;
int32_t *Logger::log_size = nullptr;
int64_t *Logger::log_rotated_count_shared = nullptr;
int64_t Logger::log_rotated_count_private = 0;
int Logger::log_flock = -1;

// ---- set-up and tear-down --------------------------------------------------------------

int Logger::Initialize(Type type, const std::string &log_file, const std::string &level_file,
                       int rotate_count, SafetyScope safety_scope) {
    InitConfig init;
    init.type = type;
    init.log_file = log_file;
    init.level_file = level_file;
    init.rotate_count = rotate_count;
    init.safety_scope = safety_scope;
    return Initialize(init);
}

namespace {

void ReadLevelFile(const std::string &level_file, std::map<std::string, int> &levels) {
    if (level_file.empty())
        return;
    Config pairs;
    // A missing or malformed file yields no pairs, which leaves the thresholds as they are.
    pairs.read(level_file);
    for (const auto &pair : pairs.entries()) levels[pair.first] = ParseThreshold(pair.second);
}

}  // namespace

int Logger::Initialize(const InitConfig &init) {
    DestroySharedData();
    DestroyLock();
    log_initialized = false;

    config = init;
    log_path = init.log_file;
    if (config.type != TYPE_FILE)
        config.safety_scope = SCOPE_NONE;

    InitializeLock();
    InitializeSharedData();
    if (log_size == nullptr || log_rotated_count_shared == nullptr)
        return -1;

    log_level[kDefaultComponent] = kDefaultThreshold;
    ReadLevelFile(config.level_file, log_level);

    if (config.type == TYPE_SYSLOG || config.type == TYPE_STDOUT || config.type == TYPE_STDERR) {
        FILE *stream = nullptr;
        if (config.type == TYPE_STDOUT)
            stream = stdout;
        if (config.type == TYPE_STDERR)
            stream = stderr;
        if (stream != log_fp)
            CloseOwnStream(log_fp);
        log_fp = stream;
        log_path.clear();
        *log_size = -1;
        *log_rotated_count_shared = 0;
        log_rotated_count_private = 0;
        log_initialized = true;
        return 0;
    }

    if (log_path.empty())
        return -1;
    FILE *stream = std::fopen(log_path.c_str(), "ae");
    if (stream == nullptr)
        return -1;
    CloseOwnStream(log_fp);
    log_fp = stream;
    *log_rotated_count_shared = 0;
    log_rotated_count_private = 0;
    *log_size = GetFileSize(log_path);
    log_initialized = true;
    return 0;
}

void Logger::Destroy() {
    log_initialized = false;
    if (config.type == TYPE_FILE) {
        CloseOwnStream(log_fp);
        log_fp = stdout;
        log_path.clear();
    }
    DestroySharedData();
    DestroyLock();
}

// ---- thresholds --------------------------------------------------------------------------

int Logger::GetCompLevel(const std::string &component) {
    auto found = log_level.find(component);
    return found == log_level.end() ? kDefaultThreshold : found->second;
}

bool Logger::IsNeedToLog(Level level, const std::string &component) {
    return log_initialized && level <= GetCompLevel(component);
}

// ---- messages ----------------------------------------------------------------------------

void Logger::LogMsg(Level level, const std::string &component, const char *format, ...) {
    va_list args;
    va_start(args, format);
    LogMsg2(level, component, format, args);
    va_end(args);
}

void Logger::LogMsg2(Level level, const std::string &component, const char *format, va_list args) {
    if (!log_initialized || level > GetCompLevel(component))
        return;
    // The caller's errno belongs to the message ("%m") and to the caller afterwards.
    int saved_errno = errno;
    Lock();
    if (config.type == TYPE_SYSLOG || log_fp != nullptr) {
        ReloadLogFile();
        int written = 0;
        errno = saved_errno;
        if (config.type == TYPE_SYSLOG) {
            ::vsyslog(LOG_ERR, format, args);
        } else if (config.type >= TYPE_STDOUT && config.type <= TYPE_FILE) {
            written = PrintToFilePointerV(format, args);
        } else {
            std::vfprintf(stderr, format, args);
        }
        RotateIfFileBig(written);
    }
    Unlock();
    errno = saved_errno;
}

void Logger::LogMsg3(Level level, const std::string &component, std::stringstream &text,
                     int flags) {
    std::string format = "%s";
    int error = errno;
    if ((flags & FLAG_ERRNO) != 0 && error != 0) {
        text.seekp(0, std::ios::end);  // append, also to a stream built from a string
        text << ", err=" << error << ":";
        format += "%m";
    }
    if ((flags & FLAG_NEWLINE) != 0)
        format += "\n";
    errno = error;
    LogMsg(level, component, format.c_str(), text.str().c_str());
}

void LogMSG_c(int level, const char *component, const char *format, va_list args) {
    Logger::LogMsg2(static_cast<Logger::Level>(level), component != nullptr ? component : "",
                    format, args);
}

int Logger::PrintToFilePointer(const char *format, ...) {
    va_list args;
    va_start(args, format);
    int written = PrintToFilePointerV(format, args);
    va_end(args);
    return written;
}

int Logger::PrintToFilePointerV(const char *format, va_list args) {
    if (log_fp == nullptr)
        return 0;
    int saved_errno = errno;
    char prefix[512];
    std::time_t now = std::time(nullptr);
    struct tm local;
    ::localtime_r(&now, &local);
    std::strftime(prefix, sizeof(prefix), "%Y-%m-%dT%H:%M:%S ", &local);

    va_list retry;
    va_copy(retry, args);
    int prefix_written = std::fprintf(log_fp, "%s", prefix);
    errno = saved_errno;
    int text_written = std::vfprintf(log_fp, format, args);
    FlushFileStream(text_written);
    // The stream drops what it could not write (a full disk): the message goes to standard
    // error instead of vanishing.
    const bool failed = prefix_written < 0 || text_written < 0 || std::ferror(log_fp) != 0;
    if (failed && IsOwnStream(log_fp)) {
        std::clearerr(log_fp);
        errno = saved_errno;
        std::fprintf(stderr, "%s", prefix);
        std::vfprintf(stderr, format, retry);
    }
    va_end(retry);
    // A failed write counts as failed, so that no guessed size is added.
    if (failed)
        return -1;
    return prefix_written + text_written;
}

void Logger::FlushFileStream(long /*bytes*/) {
    if (log_fp != nullptr)
        std::fflush(log_fp);
}

// ---- locking -----------------------------------------------------------------------------

void Logger::InitializeLock() {
    InitializeFileLock();
    if (config.safety_scope <= SCOPE_NONE || log_lock != nullptr)
        return;
    pthread_mutex_t *mutex = new (std::nothrow) pthread_mutex_t;
    if (mutex == nullptr)
        return;
    if (pthread_mutex_init(mutex, nullptr) != 0) {
        delete mutex;
        return;
    }
    log_lock = mutex;
}

void Logger::DestroyLock() {
    DestroyFileLock();
    if (log_lock == nullptr)
        return;
    pthread_mutex_destroy(log_lock);
    delete log_lock;
    log_lock = nullptr;
}

void Logger::Lock() {
    if (log_lock != nullptr)
        pthread_mutex_lock(log_lock);
}

void Logger::Unlock() {
    if (log_lock != nullptr)
        pthread_mutex_unlock(log_lock);
}

// Cross-process file locking is not used: the cells are private to the process.
void Logger::InitializeFileLock() {}

void Logger::DestroyFileLock() {}

// ---- size counting and rotation ----------------------------------------------------------

void Logger::InitializeSharedData() {
    if (log_size == nullptr)
        log_size = new (std::nothrow) int32_t(0);
    if (log_rotated_count_shared == nullptr)
        log_rotated_count_shared = new (std::nothrow) int64_t(0);
}

void Logger::DestroySharedData() {
    delete log_size;
    log_size = nullptr;
    delete log_rotated_count_shared;
    log_rotated_count_shared = nullptr;
}

int Logger::GetFileSize(const std::string &path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        int error = errno;
        PrintToFilePointer("stat(%s): %s (%d)\n", path.c_str(), std::strerror(error), error);
        return 0;
    }
    return ClampedFileSize(info.st_size);
}

int Logger::RotateIfFileBig(int bytes_written) {
    if (config.type != TYPE_FILE || bytes_written < 0 || log_size == nullptr)
        return 0;
    *log_size = SaturatingAdd(*log_size, bytes_written);
    if (*log_size <= kRotateThreshold)
        return 0;
    // Rotating again would push the other process's fresh file aside as well.
    if (PathLeftStream(log_path, log_fp))
        return FollowRotatedLog();
    int result = Rotate();
    *log_size = 0;
    return result;
}

int Logger::Rotate() {
    // Fewer than one rotated file makes no sense; keep at least index 0.
    int keep = config.rotate_count < 1 ? 1 : config.rotate_count;
    for (int index = keep - 2; index >= 0; --index)
        std::rename(RotatedName(log_path, index).c_str(), RotatedName(log_path, index + 1).c_str());
    std::remove(RotatedName(log_path, keep - 1).c_str());

    CloseOwnStream(log_fp);
    log_fp = nullptr;
    // A live file that another process moved or deleted meanwhile cannot be renamed; the
    // path is opened anew all the same, so that logging goes on.
    const bool moved = std::rename(log_path.c_str(), RotatedName(log_path, 0).c_str()) == 0;
    log_fp = std::fopen(log_path.c_str(), "ae");
    if (!moved || log_fp == nullptr)
        return -1;
    if (log_rotated_count_shared != nullptr)
        ++*log_rotated_count_shared;
    ++log_rotated_count_private;
    return 0;
}

void Logger::ReloadLogFile() {
    if (config.type != TYPE_FILE || config.safety_scope < SCOPE_PROCESS)
        return;
    if (log_rotated_count_shared == nullptr ||
        log_rotated_count_private == *log_rotated_count_shared)
        return;
    CloseOwnStream(log_fp);
    log_fp = std::fopen(log_path.c_str(), "ae");
    if (log_fp == nullptr)
        return;
    if (log_size != nullptr)
        *log_size = GetFileSize(log_path);
    log_rotated_count_private = *log_rotated_count_shared;
}
