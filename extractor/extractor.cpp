#include "extractor/extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/log.h"
#include "extractor/entry_count.h"
#include "texts/notify_adapter.h"
#include "texts/strtable.h"

namespace {

constexpr size_t kReadBlockSize = 10240;

// SECURE_SYMLINKS keeps entries from being written through a link an earlier entry made;
// the rest: replace existing files, refuse "..", and the macOS metadata bit (no-op here).
constexpr int kWriterOptions = ARCHIVE_EXTRACT_UNLINK | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                               ARCHIVE_EXTRACT_MAC_METADATA | ARCHIVE_EXTRACT_SECURE_SYMLINKS;

constexpr int kLabelTextId = 1052;
constexpr int kAppNameTextId = 203;

// Frees the handles of one operation, reader first, on every way out.
struct ArchiveGuard {
    archive *reader = nullptr;
    archive *writer = nullptr;

    ArchiveGuard() = default;
    ArchiveGuard(const ArchiveGuard &) = delete;
    ArchiveGuard &operator=(const ArchiveGuard &) = delete;
    ~ArchiveGuard() {
        if (reader)
            archive_read_free(reader);
        if (writer)
            archive_write_free(writer);
    }
};

// libarchive leaves the text null when the failing call set none.
const char *ErrorText(archive *handle) {
    const char *text = archive_error_string(handle);
    return text ? text : "unknown error";
}

// Whole-entry extraction copies write errors to the reader, but a failure while reading the
// entry's data is known to the reader only.
const char *EntryErrorText(archive *reader, archive *writer) {
    return archive_error_string(writer) ? ErrorText(writer) : ErrorText(reader);
}

// The error number that goes with EntryErrorText.
int EntryErrno(archive *reader, archive *writer) {
    return archive_error_string(writer) ? archive_errno(writer) : archive_errno(reader);
}

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

// The archive's own path goes below root unchanged, and so does a hard link's target:
// left alone, the link target would resolve against the current directory.
bool PlaceUnder(archive_entry *entry, const ustring &root) {
    const char *path = archive_entry_pathname(entry);
    if (!path)
        return false;
    archive_entry_set_pathname(entry, (root + "/" + path).c_str());
    const char *link_target = archive_entry_hardlink(entry);
    if (link_target)
        archive_entry_set_hardlink(entry, (root + "/" + link_target).c_str());
    return true;
}

// The disk writer sets the mode of a hard link that carries data through the path, so a link
// to a symbolic link would change the mode of whatever the symbolic link names.
bool LinksToSymlink(archive_entry *entry) {
    const char *link_target = archive_entry_hardlink(entry);
    struct stat st;
    return link_target && ::lstat(link_target, &st) == 0 && S_ISLNK(st.st_mode);
}

// Writes every entry below root; 0 at the end of the archive, -1 at the first failure.
int WriteEntries(archive *reader, archive *writer, const ustring &root, EntryCount &count,
                 Extractor::Totals &totals) {
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
        if (!PlaceUnder(entry, root)) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_entry_pathname failed");
            return -1;
        }
        if (LinksToSymlink(entry)) {
            LOX_LOG(ERROR, "extractor_debug", "extractor",
                    "refusing package entry '%s': a hard link to the symbolic link '%s'",
                    archive_entry_pathname(entry), archive_entry_hardlink(entry));
            return -1;
        }
        if (archive_read_extract2(reader, entry, writer) != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_extract2 failed: '%s'",
                    EntryErrorText(reader, writer));
            return -1;
        }
        count.Step();
        ++totals.entries;
        totals.bytes += archive_entry_size(entry);
        if (archive_write_finish_entry(writer) != ARCHIVE_OK) {
            LOX_LOG(ERROR, "extractor_debug", "extractor",
                    "archive_write_finish_entry failed: '%s'", ErrorText(writer));
            return -1;
        }
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
    Notify_Adapter::GetInstance()->UpdateDialogText(
        StrTable::LoadStr(kLabelTextId).arg(StrTable::LoadStr(kAppNameTextId)));

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

    ArchiveGuard handles;
    handles.reader = archive_read_new();
    if (handles.reader)
        handles.writer = archive_write_disk_new();
    if (!handles.reader || !handles.writer) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Allocate extractor failed");
        return -1;
    }
    archive_write_disk_set_options(handles.writer, kWriterOptions);
    if (OpenPackage(handles.reader, source) != ARCHIVE_OK) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Failed to read file '%s' ('%s')",
                source.c_str(), ErrorText(handles.reader));
        totals.error_number = archive_errno(handles.reader);
        return -1;
    }
    count.Follow(handles.reader);
    const int result = WriteEntries(handles.reader, handles.writer, root, count, totals);
    count.Settle();
    if (result != 0)
        totals.error_number = EntryErrno(handles.reader, handles.writer);
    return result;
}

int Extractor::Count() {
    ArchiveGuard handles;
    handles.reader = OpenForWalk(source, target);
    if (!handles.reader)
        return -1;
    return CountEntries(handles.reader);
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
