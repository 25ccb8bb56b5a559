#include "extractor/entry_queue.h"

#include <archive.h>
#include <archive_entry.h>

#include <chrono>
#include <cstring>

namespace {

// Enough for the reader to run a few blocks ahead of the writer, counting what the writer has
// taken and not yet written.
constexpr size_t kMaxWeight = 8 << 20;
// What a copied entry costs whatever it carries: the structure and the buffers of its strings
// (about 3 KiB measured on 60 000 small files).
constexpr size_t kEntryWeight = 3 << 10;
// A name is kept in up to three forms (multibyte, wide, UTF-8).
constexpr size_t kNameWeightFactor = 6;
constexpr size_t kAclEntryWeight = 128;
constexpr size_t kSparseRunWeight = 32;
// How often a waiting reader looks up from its wait (to send the progress steps).
constexpr std::chrono::milliseconds kPause(25);

}  // namespace

void PackagePiece::EntryFree::operator()(archive_entry *entry) const {
    archive_entry_free(entry);
}

namespace {

size_t Weigh(archive_entry *entry) {
    size_t names = 0;
    for (const char *name : {archive_entry_pathname(entry), archive_entry_hardlink(entry),
                             archive_entry_symlink(entry), archive_entry_uname(entry),
                             archive_entry_gname(entry), archive_entry_fflags_text(entry)})
        names += name ? std::strlen(name) : 0;
    size_t weight = kEntryWeight + names * kNameWeightFactor;
    const char *name = nullptr;
    const void *value = nullptr;
    size_t size = 0;
    archive_entry_xattr_reset(entry);
    while (archive_entry_xattr_next(entry, &name, &value, &size) == ARCHIVE_OK)
        weight += std::strlen(name) + size;
    archive_entry_mac_metadata(entry, &size);
    weight += size;
    const int acl_types = ARCHIVE_ENTRY_ACL_TYPE_ACCESS | ARCHIVE_ENTRY_ACL_TYPE_DEFAULT |
                          ARCHIVE_ENTRY_ACL_TYPE_NFS4;
    weight += static_cast<size_t>(archive_entry_acl_count(entry, acl_types)) * kAclEntryWeight;
    weight += static_cast<size_t>(archive_entry_sparse_count(entry)) * kSparseRunWeight;
    return weight;
}

}  // namespace

PackagePiece PackagePiece::Header(archive_entry *entry) {
    PackagePiece piece = Marker(Kind::Header);
    piece.entry.reset(archive_entry_clone(entry));
    if (piece.entry)
        piece.weight = Weigh(piece.entry.get());
    return piece;
}

PackagePiece PackagePiece::Data(const void *block, size_t size, int64_t offset) {
    PackagePiece piece = Marker(Kind::Data);
    piece.data.resize(size);
    if (size > 0)
        std::memcpy(piece.data.data(), block, size);
    piece.offset = offset;
    piece.weight = size;
    return piece;
}

PackagePiece PackagePiece::Marker(Kind kind) {
    PackagePiece piece;
    piece.kind = kind;
    return piece;
}

template <typename Ready>
void EntryQueue::ReaderWait(std::unique_lock<std::mutex> &lock, const Task &while_waiting,
                            Ready ready) {
    while (!ready()) {
        reader_waits_ = true;
        const bool paused = !emptied_.wait_for(lock, kPause, ready);
        reader_waits_ = false;
        if (paused) {
            lock.unlock();
            while_waiting();
            lock.lock();
        }
    }
}

bool EntryQueue::Push(PackagePiece piece, const Task &while_waiting) {
    std::unique_lock<std::mutex> lock(mutex_);
    ReaderWait(lock, while_waiting, [this] { return abandoned_ || weight_ < kMaxWeight; });
    if (abandoned_)
        return false;
    weight_ += piece.weight;
    pieces_.push_back(std::move(piece));
    if (writer_waits_)
        filled_.notify_one();
    return true;
}

void EntryQueue::TakeAll(std::deque<PackagePiece> &batch) {
    batch.clear();
    std::unique_lock<std::mutex> lock(mutex_);
    writer_waits_ = true;
    filled_.wait(lock, [this] { return abandoned_ || !pieces_.empty(); });
    writer_waits_ = false;
    if (abandoned_) {
        batch.push_back(PackagePiece::Marker(PackagePiece::Kind::ReadFailed));
        return;
    }
    batch.swap(pieces_);
}

void EntryQueue::Release(const PackagePiece &piece) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (abandoned_ || piece.weight > weight_)
        return;
    weight_ -= piece.weight;
    // Half empty before the reader wakes, so that the two do not wake each other per piece.
    if (reader_waits_ && weight_ <= kMaxWeight / 2)
        emptied_.notify_one();
}

void EntryQueue::WaitForWriter(const Task &while_waiting) {
    std::unique_lock<std::mutex> lock(mutex_);
    ReaderWait(lock, while_waiting, [this] { return writer_done_; });
}

void EntryQueue::WriterDone() {
    std::lock_guard<std::mutex> lock(mutex_);
    writer_done_ = true;
    emptied_.notify_all();
}

void EntryQueue::Abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    abandoned_ = true;
    pieces_.clear();
    weight_ = 0;
    filled_.notify_all();
    emptied_.notify_all();
}
