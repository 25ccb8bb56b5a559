#pragma once

#include <QApplication>

// The application object of the launcher. Constructing it also claims the "running launcher"
// slot of the current user and home directory; isRunning() tells whether another launcher
// already held that slot. The claim is a kernel file lock, so it vanishes with the process,
// however the process ends.
class QtSingleApplication : public QApplication {
public:
    // A QApplication always has a GUI; the flag is kept for callers that pass it.
    QtSingleApplication(int &argc, char **argv, bool GUIenabled = true);
    ~QtSingleApplication() override;

    QtSingleApplication(const QtSingleApplication &) = delete;
    QtSingleApplication &operator=(const QtSingleApplication &) = delete;

    bool isRunning() const;

private:
    int lock_fd_ = -1;
    bool another_running_ = false;
};
