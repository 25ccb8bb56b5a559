#pragma once

#include <atomic>
#include <thread>

struct archive;

// Number of entries that reader walks from where it stands: every header read without fault
// counts, and the first other result (end, warning or error) ends the walk, as does a stop
// seen between two headers.
int CountEntries(archive *reader, const std::atomic<bool> *stop = nullptr);

// The total behind the progress bar, counted by a reader of its own on a second thread while
// the extraction writes the entries. Steps taken before the total is known are sent, in order
// and with the total, as soon as it is. Steps are sent only from the thread that calls Reach
// and Settle; the counting thread touches nothing but its reader.
class EntryCount {
public:
    EntryCount() = default;
    ~EntryCount();  // stops the count, waits for it and frees the reader

    EntryCount(const EntryCount &) = delete;
    EntryCount &operator=(const EntryCount &) = delete;

    // Takes over an opened reader (or null) and counts its entries beside the caller. Returns
    // the count so far: -1 without a reader, 0 when not even a first entry can be read (nothing
    // then runs), 1 when the rest is being counted.
    int Start(archive *reader);
    // written entries so far; sends the steps up to there once the count has ended
    void Reach(int written);
    void Settle();  // waits for the count and sends every step taken
    // The extraction failed: the count ends at its next header, and the steps already taken
    // go out with the entries counted by then.
    void Stop();

private:
    void CountRest();
    void Poll();
    void Send();

    archive *reader_ = nullptr;
    int total_ = 0;  // written by the counting thread, read only once it is joined
    std::atomic<bool> counted_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
    int done_ = 0;
    int sent_ = 0;
};
