#pragma once

#include <QApplication>

// The application object of the launcher. The first isRunning() claims the "running launcher"
// slot of the home directory and tells whether another launcher already held it. The claim is
// a kernel file lock in the per-user root (in the runtime directory when the home cannot hold
// it), so it vanishes with the process, however the process ends. It is taken at that call,
// not at construction, so that a fallback is written to the launcher's log.
class QtSingleApplication : public QApplication {
public:
    // A QApplication always has a GUI; the flag is kept for callers that pass it.
    QtSingleApplication(int &argc, char **argv, bool GUIenabled = true);
    ~QtSingleApplication() override;

    QtSingleApplication(const QtSingleApplication &) = delete;
    QtSingleApplication &operator=(const QtSingleApplication &) = delete;

    bool isRunning() const;

private:
    void Claim() const;

    mutable bool claimed_ = false;
    mutable int lock_fd_ = -1;
    mutable bool another_running_ = false;
};
