#pragma once

#include <sys/types.h>

#include <QThread>
#include <atomic>

// The worker's thread: nothing but its own event loop, so queued calls reach the worker.
class HandlerThread : public QThread {
    Q_OBJECT

public:
    HandlerThread();

    // After wait(): returns once the system thread itself has ended (at most a second).
    void WaitUntilEnded() const;

protected:
    void run() override;

private:
    std::atomic<pid_t> system_id{0};
};
