#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "launcher/handler-thread.h"
#include "launcher/progress-dialog.h"
#include "launcher/worker.h"

class Service;

// Controller of one run: owns the worker and the progress dialog, applies the worker's
// reports to the dialog on the GUI thread and ends the event loop when the service is done.
class Launcher : public QObject {
    Q_OBJECT

public:
    Launcher();
    // Takes ownership of service (handed to the worker) instead of the platform service.
    explicit Launcher(Service *service);
    ~Launcher() override;

    void Run();
    void Start();
    // The progress dialog, built on first use: a run that never shows it (up to date) never
    // pays for its fonts and style.
    ProcessingProgressDialog *Dialog();

public slots:
    // Brings a dialog that is shown forward, for a second launcher the user started.
    void RaiseDialog();

signals:
    void sigStart();
    // The dialog was shown: from now on a second launcher may ask to raise it.
    void sigDialogShown();

private slots:
    void LaunchDone();
    void UpdateProgress(int total, int steps);
    void SetLabelText(QString);
    void ShowMsgBox();
    void ShowDialogNow();
    void UpgradeEnded();
    void StartScriptDone();

private:
    explicit Launcher(Worker *worker);  // takes ownership

    Worker *worker;
    ProcessingProgressDialog *dialog = nullptr;
    // Holds the dialog back at the start of a replacement: one that ends sooner shows nothing.
    QTimer show_delay;
};
