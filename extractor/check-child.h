#pragma once

#include <sys/types.h>

#include <string>

#include "extractor/package-extractor.h"

// The check of a package in a child process of its own: libarchive can loop inside one call,
// where nothing but ending the process stops it. The child sends a beat at every header or data
// block (and, when asked, every entry listed) and then its result through a pipe; the parent
// ends it after stall_ms without a beat.
class CheckChild {
public:
    using CheckResult = PackageExtractor::CheckResult;

    CheckChild() = default;
    ~CheckChild();  // ends a child still running and reaps it

    CheckChild(const CheckChild &) = delete;
    CheckChild &operator=(const CheckChild &) = delete;

    // Starts the check; when no child can be made it runs here, to its end. fd stays open.
    // listed, when set, is called here for every entry the check lists.
    void Start(int fd, const char *target, const PackageExtractor::Budget &budget, int stall_ms,
               const PackageExtractor::EntrySink &listed = PackageExtractor::EntrySink());
    // Reads what the child sent without waiting; true once the result is in result.
    bool Poll(CheckResult &result);
    // Waits for the result, ending the child when it stalls.
    void Wait(CheckResult &result);
    // Ends the child at once, its result no longer wanted.
    void Stop();

private:
    // Takes what waits on the pipe, waiting up to wait_ms; true once the result is complete.
    bool Receive(int wait_ms);
    // Takes the whole messages at the front of what was received; true once the result is in.
    bool TakeMessages();
    // Hands the listed entry at offset from to the sink; the bytes it took, 0 while incomplete.
    size_t TakeEntry(size_t from);
    void Finish(CheckResult::Verdict verdict, const char *why);
    void Reap(bool kill_first);

    pid_t pid_ = -1;  // the child; 0 while a thread checks instead (see check-child.cpp)
    int pipe_ = -1;
    int stall_ms_ = 0;
    long long last_beat_ms_ = 0;
    std::string received_;
    PackageExtractor::EntrySink listed_;
    bool done_ = false;
    CheckResult result_;
};
