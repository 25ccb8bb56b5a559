#include "extractor/read-watch.h"

#include <chrono>

namespace {

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

ReadWatch::ReadWatch() : last_beat_ms_(NowMs()) {}

bool ReadWatch::Beat() {
    last_beat_ms_.store(NowMs(), std::memory_order_relaxed);
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
        const long long left = last_beat_ms_.load(std::memory_order_relaxed) + stall_ms - NowMs();
        if (left < 0) {
            given_up_.store(true);
            return false;
        }
        finished_changed_.wait_for(lock, std::chrono::milliseconds(left + 1));
    }
    return true;
}
