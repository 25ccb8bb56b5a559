#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Lets a second launcher ask the running one to bring its window forward: a local socket in
// the user's runtime directory, one per home directory as the instance lock is. Plain sockets:
// the network module would cost every run its start-up time.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    InstanceChannel();
    ~InstanceChannel() override;
    InstanceChannel(const InstanceChannel &) = delete;
    InstanceChannel &operator=(const InstanceChannel &) = delete;

    // In the running launcher: accept requests from now on (a second call changes nothing);
    // false when the socket cannot be opened (a second launcher then only exits, as before).
    bool Listen();
    // In a second launcher: asks the running one to raise its window; false when none listens.
    static bool AskToRaise();

signals:
    void sigRaise();

private:
    void Accept();

    int listen_fd = -1;
    QByteArray path;
    QSocketNotifier *notifier = nullptr;
};
