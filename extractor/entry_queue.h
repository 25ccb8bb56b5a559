#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct archive_entry;

// One piece of the package as the reading thread hands it to the writing thread.
struct PackagePiece {
    enum class Kind { Header, Data, End, ReadFailed };

    struct EntryFree {
        void operator()(archive_entry *entry) const;
    };

    Kind kind = Kind::End;
    std::unique_ptr<archive_entry, EntryFree> entry;  // Header: a copy of the reader's entry
    std::vector<char> data;                           // Data: a copy of the reader's block
    int64_t offset = 0;                               // Data: where the block goes in the file
    size_t weight = 0;  // the memory it holds: the data, or the copied entry with all it carries

    static PackagePiece Header(archive_entry *entry);
    static PackagePiece Data(const void *block, size_t size, int64_t offset);
    static PackagePiece Marker(Kind kind);
};

// The pieces between the reader and the writer. It holds a few megabytes at most, so the
// memory of an extraction does not grow with the package: the pieces waiting and the ones the
// writer has taken but not yet written count alike. The reader waits when it is full, and the
// writer takes everything there is at once, so that the two seldom wake each other.
// While the reader waits, it runs a given task every few hundredths of a second.
class EntryQueue {
public:
    using Task = std::function<void()>;

    // false once one side has given up: the reader stops there.
    bool Push(PackagePiece piece, const Task &while_waiting);
    // For the reader: waits until the writer is done.
    void WaitForWriter(const Task &while_waiting);
    // For the writer: it has written or dropped everything and closed its files.
    void WriterDone();
    // Replaces batch with every waiting piece, waiting for one when there is none; a lone
    // ReadFailed marker once abandoned.
    void TakeAll(std::deque<PackagePiece> &batch);
    // For the writer: piece is written, its memory no longer counts.
    void Release(const PackagePiece &piece);
    // Drops the waiting pieces and refuses later ones: one side stops early.
    void Abandon();

private:
    std::mutex mutex_;
    std::condition_variable filled_;
    std::condition_variable emptied_;
    std::deque<PackagePiece> pieces_;
    size_t weight_ = 0;
    bool reader_waits_ = false;
    bool writer_waits_ = false;
    bool writer_done_ = false;
    bool abandoned_ = false;

    // Waits on emptied_ until ready, running while_waiting at every pause.
    template <typename Ready>
    void ReaderWait(std::unique_lock<std::mutex> &lock, const Task &while_waiting, Ready ready);
};
