#include "extractor/read-watch.h"

#include <time.h>

#include <chrono>

long long MonotonicMs() {
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

ReadWatch::ReadWatch() : last_beat_ms_(MonotonicMs()) {}

bool ReadWatch::Beat() {
    last_beat_ms_.store(MonotonicMs(), std::memory_order_relaxed);
    return !given_up_.load(std::memory_order_relaxed);
}

void ReadWatch::Finish() {
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    finished_changed_.notify_all();
}

bool ReadWatch::WaitFinished(int stall_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!finished_) {
        const long long left =
            last_beat_ms_.load(std::memory_order_relaxed) + stall_ms - MonotonicMs();
        if (left < 0) {
            given_up_.store(true);
            return false;
        }
        finished_changed_.wait_for(lock, std::chrono::milliseconds(left + 1));
    }
    return true;
}
