#pragma once

#include <QLocalServer>
#include <QObject>

// Lets a second launcher ask the running one to bring its window forward: a local socket in
// the user's runtime directory, one per home directory as the instance lock is.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    InstanceChannel();

    // In the running launcher: accept requests from now on; false when the socket cannot be
    // opened (a second launcher then only exits, as before).
    bool Listen();
    // In a second launcher: asks the running one to raise its window; false when none listens.
    static bool AskToRaise();

signals:
    void sigRaise();

private:
    void Accept();

    QLocalServer server;
};
