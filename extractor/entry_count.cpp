#include "extractor/entry_count.h"

#include <algorithm>

#include "extractor/package-stream.h"
#include "texts/notify_adapter.h"

namespace {

constexpr int kPermille = 1000;

}  // namespace

void EntryCount::Know(int total) {
    total_ = total;
    known_ = true;
}

void EntryCount::MeasureBy(const PackageStream &stream, long long size) {
    stream_ = &stream;
    size_ = size;
}

void EntryCount::Reach(int written) {
    done_ = written;
    Send();
}

void EntryCount::Send() {
    if (!known_) {
        SendShareRead();
        return;
    }
    Notify_Adapter *relay = Notify_Adapter::GetInstance();
    const int total = std::max(total_, done_);  // a count may end short of the steps
    while (sent_ < done_) relay->UpdateProgress(total, ++sent_);
}

void EntryCount::SendShareRead() {
    if (!stream_ || size_ <= 0)
        return;
    const long long read = std::min(stream_->Consumed(), size_);
    const int permille = static_cast<int>(read * kPermille / size_);
    if (permille <= permille_sent_)
        return;
    permille_sent_ = permille;
    Notify_Adapter::GetInstance()->UpdateProgress(kPermille, permille);
}
