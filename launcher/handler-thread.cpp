#include "launcher/handler-thread.h"

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

HandlerThread::HandlerThread() : QThread(nullptr) {}

// Qt runs its threads detached, and wait() returns before the thread's own exit has released
// Qt's record of it. A process that ends in between drops that record unreleased, which the
// leak checker reports; the launcher ends right after its worker, so it waits for the end.
void HandlerThread::WaitUntilEnded() const {
    if (system_id == 0)
        return;  // never started
    // Polled finely: every run ends here, and the thread is only finishing its exit.
    const std::string task = "/proc/self/task/" + std::to_string(system_id.load());
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (::access(task.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

void HandlerThread::run() {
    system_id = ::gettid();
    exec();
}
