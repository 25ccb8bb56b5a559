#include "extractor/entry_count.h"

#include <algorithm>
#include <climits>

#include "texts/notify_adapter.h"

void EntryCount::Know(int total) {
    total_ = total;
    known_ = true;
}

void EntryCount::CheckBeside(int fd, const char *target, const PackageExtractor::Budget &budget,
                             int stall_ms) {
    check_.Start(fd, target, budget, stall_ms);
}

void EntryCount::Reach(int written) {
    done_ = written;
    if (!known_ && check_.Poll(result_))
        Know(static_cast<int>(std::min<long long>(result_.entries, INT_MAX)));
    if (known_ && !Refused())
        Send();
}

void EntryCount::Settle(bool wait_for_check) {
    if (!known_ && !wait_for_check) {
        check_.Stop();
        Know(done_);
    } else if (!known_) {
        check_.Wait(result_);
        Know(static_cast<int>(std::min<long long>(result_.entries, INT_MAX)));
    }
    if (!Refused())
        Send();
}

void EntryCount::Send() {
    Notify_Adapter *relay = Notify_Adapter::GetInstance();
    const int total = std::max(total_, done_);  // a stopped count may end short of the steps
    while (sent_ < done_) relay->UpdateProgress(total, ++sent_);
}
