#pragma once

#include "extractor/check-child.h"

// The total behind the progress bar: known from a check that passed before, or brought by a
// check that runs beside the extraction, whose refusal then ends it. Steps taken before the
// total is known are sent, in order and with the total, as soon as it is (the bar is busy
// until then). Steps are sent only from the thread that calls Reach and Settle.
class EntryCount {
public:
    using CheckResult = PackageExtractor::CheckResult;

    void Know(int total);
    void CheckBeside(int fd, const char *target, const PackageExtractor::Budget &budget,
                     int stall_ms);
    // written entries so far; sends the steps up to there once the total is known
    void Reach(int written);
    // Waits for the check beside (or ends it, without wait_for_check) and sends every step.
    void Settle(bool wait_for_check = true);
    // The check beside refused the package (Result() says why).
    bool Refused() const { return known_ && result_.verdict != CheckResult::Fits; }
    const CheckResult &Result() const { return result_; }

private:
    void Send();

    CheckChild check_;
    CheckResult result_;
    bool known_ = false;
    int total_ = 0;
    int done_ = 0;
    int sent_ = 0;
};
