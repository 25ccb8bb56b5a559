#include "extractor/extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "common/log.h"
#include "extractor/entry_count.h"
#include "extractor/entry_writer.h"
#include "extractor/failure-log.h"

namespace {

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

// A reader opened on source for Count and List, or null after logging why.
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

// The package lies below root when one of the folders above it is root: the writer would then
// replace it with an entry of its own name while reading it.
bool LiesBelow(const ustring &package, const struct stat &root) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::canonical(package.c_str(), error);
    if (error)
        return false;  // the open logs why it cannot be read
    while (folder.has_relative_path()) {
        folder = folder.parent_path();
        struct stat st;
        if (::stat(folder.c_str(), &st) == 0 && st.st_dev == root.st_dev &&
            st.st_ino == root.st_ino)
            return true;
    }
    return false;
}

// An entry whose size is known to be 0 has no data to read, as archive_read_extract2 knows:
// some formats fail a read there (directories in RAR 5, a method they cannot decode in zip).
bool HasData(archive_entry *entry) {
    return !archive_entry_size_is_set(entry) || archive_entry_size(entry) > 0;
}

// Hands the current entry's data blocks to the writer; false after a failure.
bool ReadData(archive *reader, archive_entry *entry, EntryWriter &writer) {
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
            return false;
        }
        if (!writer.Deliver(PackagePiece::Data(block, size, offset)))
            return false;
    }
}

// Reads every entry and hands it to the writer, data blocks included. 0 at the end of the
// archive; -1 after a failure of the reading (logged here) or of the writer (logged there).
int ReadEntries(archive *reader, EntryWriter &writer) {
    for (;;) {
        archive_entry *entry = nullptr;
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF)
            return 0;
        if (status != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_next_header failed: '%s'",
                    ErrorText(reader));
            return -1;
        }
        PackagePiece header = PackagePiece::Header(entry);
        if (!header.entry) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "no memory to copy the entry '%s'",
                    archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "");
            return -1;
        }
        if (!writer.Deliver(std::move(header)) ||
            (HasData(entry) && !ReadData(reader, entry, writer)))
            return -1;
    }
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

int Extractor::Extract() {
    totals = Totals();
    if (source.empty() || target.empty()) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Invalid Argument");
        return -1;
    }
    LOX_LOG(DEBUG, "extractor_debug", "extractor", "decompress from '%s' to '%s'", source.c_str(),
            target.c_str());

    // The total is counted beside the extraction; a package without a first entry fails here,
    // before the target is made.
    EntryCount count;
    const int counted = count.Start(OpenForWalk(source, target));
    if (counted <= 0) {
        LOX_LOG(ERROR, "extractor_debug", "extractor",
                "Failed to calculate total file numbers, ret: %d", counted);
        return -1;
    }
    ustring root;
    if (ResolveTarget(target, root) != 0)
        return -1;

    struct stat folder, package;
    if (::stat(source.c_str(), &package) != 0 || ::stat(root.c_str(), &folder) != 0) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Failed to read file '%s' ('%s')",
                source.c_str(), std::strerror(errno));
        return -1;
    }
    if (LiesBelow(source, folder)) {
        LOX_LOG(ERROR, "extractor_debug", "extractor",
                "refusing to extract '%s' into '%s', the folder that holds it", source.c_str(),
                root.c_str());
        return -1;
    }

    ArchiveGuard handles;
    handles.reader = archive_read_new();
    if (!handles.reader) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Allocate extractor failed");
        return -1;
    }
    if (OpenPackage(handles.reader, source) != ARCHIVE_OK) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Failed to read file '%s' ('%s')",
                source.c_str(), ErrorText(handles.reader));
        totals.error_number = archive_errno(handles.reader);
        return -1;
    }
    // Inflating here and writing on the writer's thread keep both cores busy. The writer never
    // replaces the package itself, whatever name it has below the target.
    EntryWriter writer(root, count, totals);
    if (writer.Open(package) != 0)
        return -1;
    bool read_whole = false;
    try {
        read_whole = ReadEntries(handles.reader, writer) == 0;
    } catch (const std::bad_alloc &) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "no memory to read the package '%s'",
                source.c_str());
    }
    if (!read_whole)
        count.Stop();
    const int result = writer.Finish(read_whole);
    if (!read_whole && totals.error_number == 0)
        totals.error_number = archive_errno(handles.reader);
    return result;
}

int Extractor::Count() {
    ArchiveGuard handles;
    handles.reader = OpenForWalk(source, target);
    if (!handles.reader)
        return -1;
    return CountEntries(handles.reader);
}

long long Extractor::UnpackedBytes(long long block_size) {
    ArchiveGuard handles;
    handles.reader = OpenForWalk(source, source);  // needs no target
    if (!handles.reader || block_size <= 0)
        return -1;
    long long bytes = 0;
    archive_entry *entry = nullptr;
    int status;
    while ((status = archive_read_next_header(handles.reader, &entry)) == ARCHIVE_OK) {
        const long long size = archive_entry_size(entry);
        const long long blocks = size > 0 ? (size + block_size - 1) / block_size : 1;
        bytes += blocks * block_size;
        archive_read_data_skip(handles.reader);
    }
    if (status != ARCHIVE_EOF) {
        LOX_LOG(NOTE, "extractor_debug", "extractor",
                "cannot measure '%s' ('%s'); unpacking it will tell more", source.c_str(),
                ErrorText(handles.reader));
        return -1;
    }
    return bytes;
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
