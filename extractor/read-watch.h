#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// What the reading of a package tells a thread that waits for it. Nothing inside libarchive can
// be interrupted, so a reading that makes no progress (a loop in the format's code, a read from
// the disk that never returns) is given up and left behind; every later beat says so, and the
// reading then stops before it writes anything more.
class ReadWatch {
public:
    ReadWatch();

    // A header or a data block read; false once the reading was given up.
    bool Beat();
    // The reading's end, from its own thread.
    void Finish();
    // True once Finish came; false after stall_ms without a beat, and the reading is given up.
    bool WaitFinished(int stall_ms);

private:
    std::atomic<long long> last_beat_ms_;
    std::atomic<bool> given_up_{false};
    std::mutex mutex_;
    std::condition_variable finished_changed_;
    bool finished_ = false;
};

// Milliseconds of the monotonic clock; safe in a forked child.
long long MonotonicMs();

// A beat on watch, when there is one.
inline bool Progressed(ReadWatch *watch) {
    return watch == nullptr || watch->Beat();
}
