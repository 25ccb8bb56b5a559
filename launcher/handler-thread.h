#pragma once

#include <QThread>

// The worker's thread: nothing but its own event loop, so queued calls reach the worker.
class HandlerThread : public QThread {
    Q_OBJECT

public:
    HandlerThread();

protected:
    void run() override;
};
