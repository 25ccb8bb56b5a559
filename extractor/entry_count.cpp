#include "extractor/entry_count.h"

#include <archive.h>

#include <algorithm>
#include <system_error>

#include "common/log.h"
#include "texts/notify_adapter.h"

int CountEntries(archive *reader, const std::atomic<bool> *stop) {
    int count = 0;
    archive_entry *entry = nullptr;
    while (!(stop && stop->load(std::memory_order_relaxed)) &&
           archive_read_next_header(reader, &entry) == ARCHIVE_OK) {
        ++count;
        archive_read_data_skip(reader);
    }
    return count;
}

EntryCount::~EntryCount() {
    Stop();  // a count still running here belongs to an extraction that failed
    if (thread_.joinable())
        thread_.join();
    if (reader_)
        archive_read_free(reader_);
}

int EntryCount::Start(archive *reader) {
    reader_ = reader;
    if (!reader_)
        return -1;
    archive_entry *entry = nullptr;
    if (archive_read_next_header(reader_, &entry) != ARCHIVE_OK)
        return 0;
    try {
        thread_ = std::thread(&EntryCount::CountRest, this);
    } catch (const std::system_error &error) {
        LOX_LOG(WARNING, "extractor_debug", "extractor",
                "Cannot count the entries beside the extraction ('%s'); counting them first",
                error.what());
        CountRest();
    }
    return 1;
}

void EntryCount::CountRest() {
    archive_read_data_skip(reader_);
    total_ = 1 + CountEntries(reader_, &stop_);
    counted_.store(true, std::memory_order_release);
}

void EntryCount::Reach(int written) {
    done_ = written;
    Poll();
}

void EntryCount::Poll() {
    if (thread_.joinable() && counted_.load(std::memory_order_acquire))
        thread_.join();
    if (!thread_.joinable())
        Send();
}

void EntryCount::Settle() {
    if (thread_.joinable())
        thread_.join();
    Send();
}

void EntryCount::Stop() {
    stop_.store(true, std::memory_order_relaxed);
}

void EntryCount::Send() {
    Notify_Adapter *relay = Notify_Adapter::GetInstance();
    const int total = std::max(total_, done_);  // a stopped count may end short of the steps
    while (sent_ < done_) relay->UpdateProgress(total, ++sent_);
}
