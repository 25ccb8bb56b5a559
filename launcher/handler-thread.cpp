#include "launcher/handler-thread.h"

#include <unistd.h>

#include <string>

HandlerThread::HandlerThread() : QThread(nullptr) {}

// Qt runs its threads detached, and wait() returns before the thread's own exit has released
// Qt's record of it. A process that ends in between drops that record unreleased, which the
// leak checker reports; the launcher ends right after its worker, so it waits for the end.
void HandlerThread::WaitUntilEnded() const {
    const std::string task = "/proc/self/task/" + std::to_string(system_id.load());
    for (int i = 0; i < 1000 && system_id.load() != 0 && ::access(task.c_str(), F_OK) == 0; ++i)
        ::usleep(1000);
}

void HandlerThread::run() {
    system_id = ::gettid();
    exec();
}
