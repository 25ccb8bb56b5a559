#include "extractor/entry_writer.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <system_error>

#include "common/log.h"
#include "extractor/entry_count.h"
#include "extractor/failure-log.h"

namespace {

// SECURE_SYMLINKS keeps entries from being written through a link an earlier entry made;
// the rest: replace existing files, refuse "..", and the macOS metadata bit (no-op here).
constexpr int kWriterOptions = ARCHIVE_EXTRACT_UNLINK | ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                               ARCHIVE_EXTRACT_MAC_METADATA | ARCHIVE_EXTRACT_SECURE_SYMLINKS;

// Gives this thread a working directory of its own, root, and confirms that it is root.
// false where the system keeps one directory for all threads (some sandboxes).
bool WorkInside(const ustring &root) {
    struct stat wanted, here;
    return ::unshare(CLONE_FS) == 0 && ::chdir(root.c_str()) == 0 &&
           ::lstat(root.c_str(), &wanted) == 0 && ::stat(".", &here) == 0 &&
           S_ISDIR(wanted.st_mode) && wanted.st_dev == here.st_dev && wanted.st_ino == here.st_ino;
}

// The archive's own path goes below base unchanged, and so does a hard link's target:
// left alone, an absolute name would leave the target.
bool PlaceUnder(archive_entry *entry, const ustring &base) {
    const char *path = archive_entry_pathname(entry);
    if (!path)
        return false;
    archive_entry_set_pathname(entry, (base + "/" + path).c_str());
    const char *link_target = archive_entry_hardlink(entry);
    if (link_target)
        archive_entry_set_hardlink(entry, (base + "/" + link_target).c_str());
    return true;
}

// The disk writer sets the mode of a hard link that carries data through the path, so a link
// to a symbolic link would change the mode of whatever the symbolic link names.
bool LinksToSymlink(archive_entry *entry) {
    const char *link_target = archive_entry_hardlink(entry);
    struct stat st;
    return link_target && ::lstat(link_target, &st) == 0 && S_ISLNK(st.st_mode);
}

// Files from this size on go to the disk while the rest is still being written, so that the
// flush after the extraction has little left to wait for.
constexpr long long kEarlyWritebackSize = 64 << 10;

// Starts writing the file's data to the disk without waiting; a hint, so failures are ignored.
void StartWriteback(const char *path) {
    const int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    ::close(fd);
}

}  // namespace

EntryWriter::EntryWriter(const ustring &root, EntryCount &count, Extractor::Totals &totals)
    : root_(root), base_(root), count_(count), totals_(totals) {}

EntryWriter::~EntryWriter() {
    if (thread_.joinable()) {
        queue_.Abandon();
        thread_.join();
    }
    if (writer_)
        archive_write_free(writer_);
}

int EntryWriter::Open(const struct stat &package) {
    writer_ = archive_write_disk_new();
    if (!writer_) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "Allocate extractor failed");
        return -1;
    }
    archive_write_disk_set_options(writer_, kWriterOptions);
    archive_write_disk_set_skip_file(writer_, package.st_dev, package.st_ino);
    try {
        thread_ = std::thread(&EntryWriter::Run, this);
    } catch (const std::system_error &error) {
        LOX_LOG(WARNING, "extractor_debug", "extractor",
                "Cannot write beside the reading ('%s'); reading and writing in turn",
                error.what());
    }
    return 0;
}

bool EntryWriter::Deliver(PackagePiece piece) {
    const bool delivered = thread_.joinable()
                               ? queue_.Push(std::move(piece), [this] { SendSteps(); })
                               : !failed_ && Write(piece);
    SendSteps();
    return delivered;
}

void EntryWriter::SendSteps() {
    count_.Reach(written_.load(std::memory_order_acquire));
}

int EntryWriter::Finish(bool read_whole) {
    const auto last = read_whole ? PackagePiece::Kind::End : PackagePiece::Kind::ReadFailed;
    if (thread_.joinable()) {
        const EntryQueue::Task send = [this] { SendSteps(); };
        queue_.Push(PackagePiece::Marker(last), send);
        queue_.WaitForWriter(send);
        thread_.join();
    } else {
        PackagePiece piece = PackagePiece::Marker(last);
        if (!failed_)
            Write(piece);
        Close();
    }
    SendSteps();
    return failed_ ? -1 : 0;
}

void EntryWriter::Run() {
    if (WorkInside(root_))
        base_ = ".";
    else
        LOX_LOG(DEBUG, "extractor_debug", "extractor",
                "the writing thread cannot work inside '%s'; writing by full path", root_.c_str());
    try {
        WriteAll();
    } catch (const std::bad_alloc &) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "no memory to write the entry '%s'",
                entry_name_.c_str());
        failed_ = true;
    }
    if (failed_)
        queue_.Abandon();
    // Directory modes are set on closing, by the names used, so still inside root.
    Close();
    queue_.WriterDone();
}

void EntryWriter::WriteAll() {
    std::deque<PackagePiece> batch;
    for (bool writing = true; writing;) {
        queue_.TakeAll(batch);
        for (PackagePiece &piece : batch) {
            writing = Write(piece) && piece.kind != PackagePiece::Kind::End;
            queue_.Release(piece);
            if (!writing)
                break;
        }
    }
}

bool EntryWriter::Write(PackagePiece &piece) {
    bool written = false;
    switch (piece.kind) {
        case PackagePiece::Kind::Header:
            written = FinishEntry() && WriteHeader(piece.entry.get());
            break;
        case PackagePiece::Kind::Data:
            written = WriteData(piece);
            break;
        case PackagePiece::Kind::End:
            written = FinishEntry();
            break;
        case PackagePiece::Kind::ReadFailed:
            break;
    }
    failed_ = failed_ || !written;
    return written;
}

bool EntryWriter::WriteHeader(archive_entry *entry) {
    entry_name_ = archive_entry_pathname(entry) ? archive_entry_pathname(entry) : "";
    if (!PlaceUnder(entry, base_)) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_entry_pathname failed");
        return false;
    }
    if (LinksToSymlink(entry)) {
        LOX_LOG(ERROR, "extractor_debug", "extractor",
                "refusing package entry '%s/%s': a hard link to the symbolic link '%s'",
                root_.c_str(), entry_name_.c_str(), archive_entry_hardlink(entry));
        return false;
    }
    if (archive_write_header(writer_, entry) != ARCHIVE_OK)
        return Failed("writing the header of");
    in_entry_ = true;
    entry_size_ = archive_entry_size(entry);
    entry_path_ = archive_entry_pathname(entry);
    regular_file_ = archive_entry_filetype(entry) == AE_IFREG;
    return true;
}

bool EntryWriter::WriteData(const PackagePiece &piece) {
    if (archive_write_data_block(writer_, piece.data.data(), piece.data.size(), piece.offset) !=
        ARCHIVE_OK)
        return Failed("writing the data of");
    return true;
}

bool EntryWriter::FinishEntry() {
    if (!in_entry_)
        return true;
    in_entry_ = false;
    if (archive_write_finish_entry(writer_) != ARCHIVE_OK)
        return Failed("finishing");
    if (regular_file_ && entry_size_ >= kEarlyWritebackSize)
        StartWriteback(entry_path_.c_str());
    written_.fetch_add(1, std::memory_order_release);
    ++totals_.entries;
    totals_.bytes += entry_size_;
    return true;
}

bool EntryWriter::Failed(const char *step) {
    LOX_LOG(ERROR, "extractor_debug", "extractor", "archive_read_extract2 failed: '%s'",
            ErrorText(writer_));
    LogFailedStep(step, entry_name_.c_str(), writer_);
    totals_.error_number = archive_errno(writer_);
    return false;
}

// Directory modes and times are set on closing: a failure there leaves the copy unfinished.
void EntryWriter::Close() {
    if (!writer_)
        return;
    const bool closed = archive_write_close(writer_) == ARCHIVE_OK;
    if (!closed && !failed_) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "failed to finish writing below '%s': %s",
                root_.c_str(), ErrorText(writer_));
        totals_.error_number = archive_errno(writer_);
        failed_ = true;
    }
    const bool freed = archive_write_free(writer_) == ARCHIVE_OK;
    writer_ = nullptr;
    if (!freed && !failed_) {
        LOX_LOG(ERROR, "extractor_debug", "extractor", "failed to release the writer of '%s'",
                root_.c_str());
        failed_ = true;
    }
}
