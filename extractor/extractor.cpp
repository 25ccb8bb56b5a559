#include "extractor/extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "common/log.h"
#include "extractor/check-child.h"
#include "extractor/check-sums.h"
#include "extractor/entry-rules.h"
#include "extractor/entry_count.h"
#include "extractor/entry_writer.h"
#include "extractor/failure-log.h"
#include "extractor/package-check.h"
#include "extractor/package-stream.h"
#include "extractor/read-watch.h"
#include "extractor/zip-directory.h"
#include "texts/notify_adapter.h"
#include "texts/strtable.h"

namespace {

constexpr int kLabelText = 1052;
constexpr int kAppNameText = 203;

// Large reads: the package is read start to end, by two readers at once.
constexpr size_t kReadBlockSize = 64 << 10;

// Frees the reader of one operation on every way out.
struct ArchiveGuard {
    archive *reader = nullptr;

    ArchiveGuard() = default;
    ArchiveGuard(const ArchiveGuard &) = delete;
    ArchiveGuard &operator=(const ArchiveGuard &) = delete;
    ~ArchiveGuard() {
        if (reader)
            archive_read_free(reader);
    }
};

int OpenPackage(archive *reader, const ustring &source) {
    archive_read_support_filter_all(reader);
    archive_read_support_format_all(reader);
    return archive_read_open_filename(reader, source.c_str(), kReadBlockSize);
}

// A reader opened on source for List, or null after logging why.
archive *OpenForWalk(const ustring &source, const ustring &target) {
    if (source.empty() || target.empty()) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Invalid argument");
        return nullptr;
    }
    ArchiveGuard guard;
    guard.reader = archive_read_new();
    if (!guard.reader) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Allocate archive failed");
        return nullptr;
    }
    if (OpenPackage(guard.reader, source) != ARCHIVE_OK) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_open_filename failed: '%s'",
                ErrorText(guard.reader));
        return nullptr;
    }
    archive *reader = guard.reader;
    guard.reader = nullptr;
    return reader;
}

// Creates the target when missing and resolves it, so that entries land below a prefix free
// of symbolic links: the writer would replace any link it meets on an entry's path.
int ResolveTarget(const ustring &target, ustring &resolved) {
    std::error_code error;
    const std::filesystem::path path(target.c_str());
    std::filesystem::create_directories(path, error);
    std::filesystem::path canonical;
    if (!error)
        canonical = std::filesystem::canonical(path, error);
    if (error) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Failed to prepare target '%s' ('%s')",
                target.c_str(), error.message().c_str());
        return -1;
    }
    resolved = canonical.string();
    return 0;
}

// An entry whose size is known to be 0 has no data to read, as archive_read_extract2 knows:
// some formats fail a read there (directories in RAR 5, a method they cannot decode in zip).
bool HasData(archive_entry *entry) {
    return !archive_entry_size_is_set(entry) || archive_entry_size(entry) > 0;
}

bool HasDotDot(const char *path) {
    const std::string text = path ? std::string("/") + path + "/" : std::string();
    return text.find("/../") != std::string::npos;
}

// The writer refuses a ".." itself, with the line troubleshooting knows; the rest of the
// check's rules it would not stop: it replaces a link of the package by a folder. Empty when
// the entry may go to the writer.
std::string Refusal(EntryRules &rules, archive_entry *entry) {
    if (HasDotDot(archive_entry_pathname(entry)) || HasDotDot(archive_entry_hardlink(entry)))
        return std::string();
    return rules.Refusal(entry);
}

bool IsZip(archive *reader) {
    return (archive_format(reader) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP;
}

using CheckResult = PackageExtractor::CheckResult;

// Hands the current entry's data blocks to the writer; false after a failure, with the verdict
// set when the package was to blame.
bool ReadData(archive *reader, const PackageStream &stream, archive_entry *entry,
              EntryWriter &writer, CheckResult &verdict, ReadWatch *watch) {
    for (;;) {
        const void *block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int read = archive_read_data_block(reader, &block, &size, &offset);
        if (read == ARCHIVE_EOF)
            return true;
        if (read != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_extract2 failed: '%s'",
                    ErrorText(reader));
            LogFailedStep("reading the data of", archive_entry_pathname(entry), reader);
            Refuse(verdict, CheckResult::Damaged, EntryName(entry) + stream.ReadError(reader));
            return false;
        }
        if (!Progressed(watch) || !writer.Deliver(PackagePiece::Data(block, size, offset)))
            return false;
    }
}

// Hands entry, read already, and every entry after it to the writer, data blocks included,
// then reads our layers to their end. Each header passes the check's rules and sums on the way,
// so a package that is damaged or does not fit gets the check's verdict. 0 at the end of the
// archive; -1 after a failure of the reading (logged here) or of the writer (logged there).
int ReadEntries(archive *reader, PackageStream &stream, archive_entry *entry, EntryWriter &writer,
                const PackageExtractor::Budget &budget, CheckResult &verdict, ReadWatch *watch) {
    EntryRules rules;
    for (;;) {
        if (!Progressed(watch))
            return -1;
        const std::string refusal = Refusal(rules, entry);
        if (!refusal.empty()) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "refusing package entry '%s': %s",
                    archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "",
                    refusal.c_str());
            Refuse(verdict, CheckResult::Damaged, EntryName(entry) + refusal);
            return -1;
        }
        if (!AddToSums(entry, budget, verdict))
            return -1;  // the caller tells the sizes
        PackagePiece header = PackagePiece::Header(entry);
        if (!header.entry) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "no memory to copy the entry '%s'",
                    archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "");
            return -1;
        }
        if (!writer.Deliver(std::move(header)) ||
            (HasData(entry) && !ReadData(reader, stream, entry, writer, verdict, watch)))
            return -1;
        const std::string last = EntryName(entry);
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_next_header failed: '%s'",
                    ErrorText(reader));
            Refuse(verdict, CheckResult::Damaged,
                   "header after " + last + stream.ReadError(reader));
            return -1;
        }
    }
    if (stream.Drain() == 0)
        return 0;
    LOX_LOG(ERROR, "extractor_debug", "extractor", "package is damaged after its last entry: %s",
            stream.Error().c_str());
    Refuse(verdict, CheckResult::Damaged, stream.Error());
    return -1;
}

// A zip's names in its central directory, which the reader uses, held against its local
// headers, before anything is written; false after logging a difference.
bool ZipNamesAgree(archive *reader, const PackageStream &stream, int fd, CheckResult &verdict) {
    if (!IsZip(reader) || !stream.Plain())
        return true;
    const std::string difference = ZipDirectoryFault(fd);
    if (difference.empty())
        return true;
    LOX_LOG(ERROR, "extractor_debug", "extractor", "refusing the package: %s", difference.c_str());
    Refuse(verdict, CheckResult::Damaged, difference);
    return false;
}

// The package's descriptor: the caller's, or one opened here on the path and closed on return.
class PackageFile {
public:
    PackageFile(int fd, const ustring &path)
        : fd_(fd >= 0 ? fd : ::open(path.c_str(), O_RDONLY | O_CLOEXEC)), owned_(fd < 0) {}
    ~PackageFile() {
        if (owned_ && fd_ >= 0)
            ::close(fd_);
    }
    PackageFile(const PackageFile &) = delete;
    PackageFile &operator=(const PackageFile &) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
    bool owned_;
};

// The reader on the package and its first header, before anything is made; null after logging
// why (a package without a first entry fails here).
archive_entry *FirstEntry(archive *reader, PackageStream &stream, const ustring &source) {
    int count = -1;
    archive_entry *entry = nullptr;
    if (stream.Open(reader) != 0) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Failed to read file '%s' ('%s')",
                source.c_str(),
                stream.Error().empty() ? ErrorText(reader) : stream.Error().c_str());
    } else {
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_OK)
            return entry;
        if (status == ARCHIVE_EOF)
            count = 0;
        else
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_next_header failed: '%s'",
                    ErrorText(reader));
    }
    LOX_LOG(ERROR, "extractor_debug", "extractor",
            "Failed to calculate total file numbers, ret: %d", count);
    return nullptr;
}

}  // namespace

Extractor::Extractor() = default;

Extractor::~Extractor() = default;

void Extractor::SetTarget(const ustring &path) {
    target = path;
}

void Extractor::SetSource(const ustring &path) {
    source = path;
}

void Extractor::SetPackage(int fd) {
    package_fd = fd;
    source = DescriptorPath(fd);  // only for the log: the descriptor is what is read
}

void Extractor::SetKnownEntries(int entries) {
    known_entries = entries;
}

void Extractor::SetBudget(const PackageExtractor::Budget &limits) {
    budget = limits;
}

void Extractor::SetStallLimit(int ms) {
    stall_ms = ms;
}

void Extractor::SetEntrySink(const PackageExtractor::EntrySink &listed) {
    entry_sink = listed;
}

int Extractor::Check(PackageExtractor::CheckResult &result) {
    const PackageFile file(package_fd, source);
    if (file.fd() < 0) {
        result = PackageExtractor::CheckResult();
        result.verdict = PackageExtractor::CheckResult::Damaged;
        std::snprintf(result.reason, sizeof result.reason, "cannot open it: %s",
                      std::strerror(errno));
        return -1;
    }
    CheckChild child;
    child.Start(file.fd(), target.c_str(), budget, stall_ms, entry_sink);
    child.Wait(result);
    return result.verdict == PackageExtractor::CheckResult::Fits ? 0 : -1;
}

int Extractor::Extract() {
    totals = Totals();
    if ((source.empty() && package_fd < 0) || target.empty()) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Invalid Argument");
        return -1;
    }
    LOX_LOG(DEBUG, "extractor_debug", "extractor", "decompress from '%s' to '%s'", source.c_str(),
            target.c_str());
    Notify_Adapter::GetInstance()->UpdateDialogText(
        StrTable::LoadStr(kLabelText).arg(StrTable::LoadStr(kAppNameText)));
    const PackageFile file(package_fd, source);
    if (file.fd() < 0) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_open_filename failed: '%s'",
                std::strerror(errno));
        LOX_LOG(ERROR, "extractor_debug", "extractor",
                "Failed to calculate total file numbers, ret: %d", -1);
        return -1;
    }
    int result = -1;
    if (known_entries > 0) {
        EntryCount count;
        count.Know(known_entries);
        result = ExtractWith(file.fd(), count);
    } else {
        result = ExtractWatched(file.fd());
    }
    // The writer failed: without a check before, one now tells whether the package was to blame
    // (a ".." the writer refused) or the disk.
    if (result != 0 && known_entries <= 0 && totals.check.verdict == CheckResult::Fits) {
        CheckChild check;
        check.Start(file.fd(), target.c_str(), budget, stall_ms);
        CheckResult verdict;
        check.Wait(verdict);
        if (verdict.verdict != CheckResult::Fits)
            totals.check = verdict;
    }
    return result;
}

namespace {

// A first install's reading and all it touches: left behind when it stalls, it outlives the
// call that started it.
struct WatchedReading {
    Extractor extractor;
    int fd = -1;
    ReadWatch watch;
    int result = -1;
};

}  // namespace

int Extractor::ExtractWatched(int fd) {
    auto reading = std::make_shared<WatchedReading>();
    reading->extractor = *this;
    reading->extractor.watch = &reading->watch;
    reading->fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    std::thread thread;
    try {
        if (reading->fd >= 0)
            thread = std::thread([reading] {
                EntryCount count;
                reading->result = reading->extractor.ExtractWith(reading->fd, count);
                ::close(reading->fd);
                reading->watch.Finish();
            });
    } catch (const std::system_error &) {
        ::close(reading->fd);
    }
    if (!thread.joinable()) {  // no descriptor or thread to spare: read here, unwatched
        EntryCount count;
        return ExtractWith(fd, count);
    }
    if (reading->watch.WaitFinished(stall_ms)) {
        thread.join();
        totals = reading->extractor.totals;
        return reading->result;
    }
    thread.detach();
    char why[96];
    std::snprintf(why, sizeof why, "no progress for %.1f s", stall_ms / 1000.0);
    LOX_LOG(ERROR, "extractor_debug", "extractor", "giving up reading the package '%s': %s",
            source.c_str(), why);
    Refuse(totals.check, CheckResult::Stalled, why);
    return -1;
}

int Extractor::ExtractWith(int fd, EntryCount &count) {
    ArchiveGuard handles;
    handles.reader = archive_read_new();
    if (!handles.reader) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Allocate extractor failed");
        return -1;
    }
    PackageStream stream(fd);
    archive_entry *first = FirstEntry(handles.reader, stream, source);
    if (!first || !Progressed(watch))
        return -1;
    ustring root;
    if (ResolveTarget(target, root) != 0)
        return -1;
    struct stat package;
    if (::fstat(fd, &package) != 0) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Failed to read file '%s' ('%s')",
                source.c_str(), std::strerror(errno));
        return -1;
    }
    count.MeasureBy(stream, package.st_size);
    if (PackageLiesBelow(fd, root.c_str())) {
        LOX_LOG(ERROR, "extractor_debug", "extractor",
                "refusing to extract '%s' into '%s', the folder that holds it", source.c_str(),
                root.c_str());
        return -1;
    }
    if (!ZipNamesAgree(handles.reader, stream, fd, totals.check))
        return -1;
    // Inflating here and writing on the writer's thread keep both cores busy. The writer never
    // replaces the package itself, whatever name it has below the target.
    EntryWriter writer(root, count, totals);
    if (writer.Open(package) != 0)
        return -1;
    bool read_whole = false;
    try {
        read_whole =
            ReadEntries(handles.reader, stream, first, writer, budget, totals.check, watch) == 0;
    } catch (const std::bad_alloc &) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "no memory to read the package '%s'",
                source.c_str());
    }
    const int written = writer.Finish(read_whole);
    count.Settle();
    if (!read_whole && totals.error_number == 0)
        totals.error_number = archive_errno(handles.reader);
    return written == 0 ? 0 : -1;
}

int Extractor::List() {
    ArchiveGuard handles;
    handles.reader = OpenForWalk(source, target);
    if (!handles.reader)
        return -1;
    archive_entry *entry = nullptr;
    while (archive_read_next_header(handles.reader, &entry) == ARCHIVE_OK) {
        const char *path = archive_entry_pathname(entry);
        std::printf("%s\n", path ? path : "");
        archive_read_data_skip(handles.reader);
    }
    archive_read_close(handles.reader);
    return 0;
}

int Extractor::copy_data(archive *reader, archive *writer) {
    if (!reader || !writer) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Invalid Argument");
        return -1;
    }
    for (;;) {
        const void *block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return 0;
        if (status != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_data_block failed: '%s'",
                    ErrorText(reader));
            return -1;
        }
        if (archive_write_data_block(writer, block, size, offset) != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_write_data_block failed: '%s'",
                    ErrorText(writer));
            return -1;
        }
    }
}
