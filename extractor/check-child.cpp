#include "extractor/check-child.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "extractor/package-check.h"
#include "extractor/read-watch.h"

namespace {

constexpr char kBeat = 'b';
constexpr char kResult = 'r';
constexpr char kEntry = 'e';

// A listed entry on the pipe: this, then the path's and the link's bytes.
struct EntryMessage {
    PackageExtractor::ListedEntry::Type type;
    long long size;
    unsigned mode;
    uint32_t path_size;
    uint32_t link_size;
};
// Beats closer than this carry no news for a limit counted in seconds.
constexpr long long kBeatEveryMs = 20;

void WriteAll(int fd, const char *bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
}

void SendEntry(int out, const PackageExtractor::ListedEntry &entry) {
    const EntryMessage head{entry.type, entry.size, entry.mode,
                            static_cast<uint32_t>(std::strlen(entry.path)),
                            static_cast<uint32_t>(std::strlen(entry.link))};
    std::string message(1, kEntry);
    message.append(reinterpret_cast<const char *>(&head), sizeof head);
    message.append(entry.path, head.path_size);
    message.append(entry.link, head.link_size);
    WriteAll(out, message.data(), message.size());
}

// The check, its beats, entries and result sent to out: no Qt, no log (in a child, another
// thread may have held the log's lock at the fork).
void SendCheck(int fd, const char *target, const PackageExtractor::Budget &budget, bool listing,
               int out) {
    long long last = 0;
    const auto beat = [out, &last] {
        const long long now = MonotonicMs();
        if (now - last >= kBeatEveryMs) {
            last = now;
            WriteAll(out, &kBeat, 1);
        }
    };
    PackageExtractor::EntrySink send;
    if (listing)
        send = [out](const PackageExtractor::ListedEntry &entry) { SendEntry(out, entry); };
    PackageExtractor::CheckResult result;
    CheckPackage(fd, target, budget, beat, send, result);
    char message[1 + sizeof result];
    message[0] = kResult;
    std::memcpy(message + 1, &result, sizeof result);
    WriteAll(out, message, sizeof message);
}

[[noreturn]] void RunChild(int fd, const char *target, const PackageExtractor::Budget &budget,
                           bool listing, int out) {
    SendCheck(fd, target, budget, listing, out);
    ::_exit(0);
}

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's allocator keeps locks that a fork does not reset: a child forked while
// another thread held one waits forever. Under it the check runs on a thread of its own instead,
// with the same pipe; a stall can only leave that thread behind.
constexpr bool kForkIsSafe = false;
#else
constexpr bool kForkIsSafe = true;
#endif

bool StartCheckThread(int fd, const char *target, const PackageExtractor::Budget &budget,
                      bool listing, int out) {
    try {
        std::thread([fd, path = std::string(target), budget, listing, out] {
            sigset_t broken_pipe;
            sigemptyset(&broken_pipe);
            sigaddset(&broken_pipe, SIGPIPE);  // a reader gone is an error, not the end
            ::pthread_sigmask(SIG_BLOCK, &broken_pipe, nullptr);
            SendCheck(fd, path.c_str(), budget, listing, out);
            ::close(out);
        }).detach();
        return true;
    } catch (const std::system_error &) {
        return false;
    }
}

// Forks the child that checks and writes to ends[1], which the parent no longer holds; its pid,
// or -1 when none could be made (both ends closed but ends[0]).
pid_t StartChildProcess(int fd, const char *target, const PackageExtractor::Budget &budget,
                        bool listing, const int ends[2]) {
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // The child holds the parent's descriptors, the home's lock among them: it must not
        // outlive a launcher that was killed, or the next one would find the home busy.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ::close(ends[0]);
        RunChild(fd, target, budget, listing, ends[1]);
    }
    ::close(ends[1]);
    return child > 0 ? child : -1;
}

}  // namespace

CheckChild::~CheckChild() {
    Stop();
}

void CheckChild::Start(int fd, const char *target, const PackageExtractor::Budget &budget,
                       int stall_ms, const PackageExtractor::EntrySink &listed) {
    stall_ms_ = stall_ms;
    listed_ = listed;
    const bool listing = static_cast<bool>(listed);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
        if (!kForkIsSafe && StartCheckThread(fd, target, budget, listing, ends[1]))
            pid_ = 0;
        else
            pid_ = StartChildProcess(fd, target, budget, listing, ends);
        if (pid_ >= 0) {
            pipe_ = ends[0];
            last_beat_ms_ = MonotonicMs();
            return;
        }
        ::close(ends[0]);
    }
    // Without a child nothing can end a loop inside libarchive; the check still runs.
    CheckPackage(
        fd, target, budget, [] {}, listed, result_);
    done_ = true;
}

bool CheckChild::Poll(CheckResult &result) {
    if (!done_)
        Receive(0);
    if (done_)
        result = result_;
    return done_;
}

void CheckChild::Wait(CheckResult &result) {
    while (!done_) {
        const long long left = last_beat_ms_ + stall_ms_ - MonotonicMs();
        if (left < 0) {
            char why[96];
            std::snprintf(why, sizeof why, "no progress for %.1f s", stall_ms_ / 1000.0);
            Finish(CheckResult::Stalled, why);
        } else {
            Receive(static_cast<int>(left));
        }
    }
    result = result_;
}

bool CheckChild::Receive(int wait_ms) {
    pollfd ready{pipe_, POLLIN, 0};
    const int polled = ::poll(&ready, 1, wait_ms);
    if (polled <= 0)
        return false;
    char bytes[4096];
    const ssize_t got = ::read(pipe_, bytes, sizeof bytes);
    if (got < 0)
        return false;
    if (got == 0) {
        Finish(CheckResult::Damaged, "the check ended without a result");
        return true;
    }
    last_beat_ms_ = MonotonicMs();
    received_.append(bytes, static_cast<size_t>(got));
    return TakeMessages();
}

bool CheckChild::TakeMessages() {
    size_t at = 0;
    while (at < received_.size()) {
        const char kind = received_[at];
        if (kind == kBeat) {
            ++at;
        } else if (kind == kEntry) {
            const size_t taken = TakeEntry(at + 1);
            if (taken == 0)
                break;
            at += 1 + taken;
        } else if (kind != kResult) {
            Finish(CheckResult::Damaged, "the check sent what it never sends");
            return true;
        } else if (received_.size() - at - 1 < sizeof result_) {
            break;
        } else {
            std::memcpy(&result_, received_.data() + at + 1, sizeof result_);
            result_.reason[sizeof result_.reason - 1] = '\0';
            Reap(false);
            done_ = true;
            return true;
        }
    }
    received_.erase(0, at);
    return false;
}

size_t CheckChild::TakeEntry(size_t from) {
    EntryMessage head;
    if (received_.size() - from < sizeof head)
        return 0;
    std::memcpy(&head, received_.data() + from, sizeof head);
    const size_t whole = sizeof head + head.path_size + head.link_size;
    if (received_.size() - from < whole)
        return 0;
    const std::string path = received_.substr(from + sizeof head, head.path_size);
    const std::string link = received_.substr(from + sizeof head + head.path_size, head.link_size);
    PackageExtractor::ListedEntry entry;
    entry.type = head.type;
    entry.size = head.size;
    entry.mode = head.mode;
    entry.path = path.c_str();
    entry.link = link.c_str();
    if (listed_)
        listed_(entry);
    return whole;
}

void CheckChild::Finish(CheckResult::Verdict verdict, const char *why) {
    Reap(true);
    result_ = CheckResult();
    result_.verdict = verdict;
    std::snprintf(result_.reason, sizeof result_.reason, "%s", why);
    done_ = true;
}

void CheckChild::Stop() {
    Reap(true);
    done_ = true;
}

void CheckChild::Reap(bool kill_first) {
    if (pid_ > 0) {
        if (kill_first)
            ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    if (pipe_ >= 0)
        ::close(pipe_);
    pipe_ = -1;
}
