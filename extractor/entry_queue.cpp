#include "extractor/entry_queue.h"

#include <archive_entry.h>

#include <chrono>
#include <cstring>

namespace {

// Enough for the reader to run a few blocks ahead of the writer.
constexpr size_t kMaxWeight = 4 << 20;
// What a header costs besides its data: the copied entry with its names.
constexpr size_t kHeaderWeight = 1024;
// How often a waiting reader looks up from its wait (to send the progress steps).
constexpr std::chrono::milliseconds kPause(25);

}  // namespace

void PackagePiece::EntryFree::operator()(archive_entry *entry) const {
    archive_entry_free(entry);
}

PackagePiece PackagePiece::Header(archive_entry *entry) {
    PackagePiece piece = Marker(Kind::Header);
    piece.entry.reset(archive_entry_clone(entry));
    return piece;
}

PackagePiece PackagePiece::Data(const void *block, size_t size, int64_t offset) {
    PackagePiece piece = Marker(Kind::Data);
    piece.data.resize(size);
    if (size > 0)
        std::memcpy(piece.data.data(), block, size);
    piece.offset = offset;
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
    weight_ += piece.data.size() + (piece.entry ? kHeaderWeight : 0);
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
    weight_ = 0;
    if (reader_waits_)
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
