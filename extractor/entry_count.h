#pragma once

#include "extractor/check-child.h"

class PackageStream;

// The progress behind the bar. With the count of a check that passed before, the steps are
// entries. Without one, a check runs beside the extraction and its refusal ends it; the bar then
// shows the share of the package read, and a package read whole and written does not wait for
// the check. Steps are sent only from the thread that calls Reach and Settle.
class EntryCount {
public:
    using CheckResult = PackageExtractor::CheckResult;

    void Know(int total);
    void CheckBeside(int fd, const char *target, const PackageExtractor::Budget &budget,
                     int stall_ms);
    // Without a known count: what the bar measures, the package of size bytes that stream reads.
    void MeasureBy(const PackageStream &stream, long long size);
    // written entries so far; sends the steps up to there
    void Reach(int written);
    // Waits for the check beside (or ends it, without wait_for_check) and sends every step.
    void Settle(bool wait_for_check = true);
    // The check beside refused the package (Result() says why).
    bool Refused() const { return checked_ && result_.verdict != CheckResult::Fits; }
    const CheckResult &Result() const { return result_; }

private:
    void Send();
    void SendShareRead();

    CheckChild check_;
    CheckResult result_;
    bool checked_ = false;  // the check beside has given its verdict
    bool known_ = false;
    int total_ = 0;
    int done_ = 0;
    int sent_ = 0;
    const PackageStream *stream_ = nullptr;
    long long size_ = 0;
    int permille_sent_ = 0;
};
