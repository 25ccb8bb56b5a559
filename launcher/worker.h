#pragma once

#include <QObject>
#include <QString>

#include "launcher/run-outcome.h"

class HandlerThread;
class Launcher;
class Service;

// Runs the upgrade service once on its own thread and reports to the launcher through signals.
class Worker : public QObject {
    Q_OBJECT

public:
    Worker();
    // Takes ownership of service; lets a caller bring its own implementation.
    explicit Worker(Service *service);
    ~Worker() override;

    void StartThread();
    void QuitThread();
    void JoinThread();

signals:
    void sigServiceDone();
    void sigShowMsg();
    void sigUpdateProgress(int, int);
    void sigSetLabelText(QString);
    // HandlePackageUpgrade returned, whatever its result.
    void sigUpgradeEnded();
    // The start script has run: nothing the user waits for is left.
    void sigStartScriptDone();

private slots:
    void HandleServicce();

private:
    // Replaces the per-user copy with the package's, the dialog shown if it takes long.
    void ReplaceCopy();

    friend class Launcher;  // wires HandleServicce to its start signal

    HandlerThread *thread;
    Service *service;
    RunOutcome outcome;  // read by the launcher only once the thread has ended
};
