#include "launcher/launcher.h"

#include <QCoreApplication>

#include "launcher/run-outcome.h"
#include "texts/notify_adapter.h"

namespace {

// A window mapped for less than this is a flash the user cannot read.
constexpr int kShowDelayMs = 400;
// A full bar would say "done" while the client is still being started.
constexpr int kHighestShownPercent = 99;

}  // namespace

Launcher::Launcher() : Launcher(new Worker()) {}

Launcher::Launcher(Service *service) : Launcher(new Worker(service)) {}

Launcher::Launcher(Worker *worker) : QObject(nullptr), worker(worker) {
    Notify_Adapter *relay = Notify_Adapter::GetInstance();
    connect(this, &Launcher::sigStart, worker, &Worker::HandleServicce);
    connect(worker, &Worker::sigShowMsg, this, &Launcher::ShowMsgBox);
    connect(worker, &Worker::sigServiceDone, this, &Launcher::LaunchDone);
    connect(worker, &Worker::sigUpdateProgress, this, &Launcher::UpdateProgress);
    connect(worker, &Worker::sigSetLabelText, this, &Launcher::SetLabelText);
    connect(relay, &Notify_Adapter::sigUpdateProgress, this, &Launcher::UpdateProgress);
    connect(relay, &Notify_Adapter::sigUpdateDialogText, this, &Launcher::SetLabelText);
    connect(worker, &Worker::sigUpgradeEnded, this, &Launcher::UpgradeEnded);
    connect(worker, &Worker::sigStartScriptDone, this, &Launcher::StartScriptDone);
    show_delay.setSingleShot(true);
    connect(&show_delay, &QTimer::timeout, this, &Launcher::ShowDialogNow);
}

Launcher::~Launcher() {
    delete worker;
    delete dialog;
}

ProcessingProgressDialog *Launcher::Dialog() {
    if (dialog == nullptr) {
        dialog = new ProcessingProgressDialog();
        dialog->setCancelButton(nullptr);
        dialog->setAutoReset(false);  // reaching 100 leaves the bar full
    }
    return dialog;
}

void Launcher::Run() {
    worker->StartThread();
}

void Launcher::Start() {
    emit sigStart();
}

void Launcher::UpdateProgress(int total, int steps) {
    if (total <= 0)
        return;  // no share of nothing; a division would trap
    if (Dialog()->maximum() == 0)
        Dialog()->setRange(0, 100);  // the total is known: from busy to a percentage
    // Widened so that archives of more than INT_MAX / 100 entries do not overflow.
    const qint64 percent = static_cast<qint64>(steps) * 100 / total;
    Dialog()->setValue(static_cast<int>(qMin<qint64>(percent, kHighestShownPercent)));
}

void Launcher::SetLabelText(QString text) {
    Dialog()->setLabelText(text);
}

void Launcher::ShowMsgBox() {
    show_delay.start(kShowDelayMs);  // counts from here: building the dialog takes time too
    Dialog()->setRange(0, 0);        // busy until the first progress step brings the total
}

void Launcher::ShowDialogNow() {
    Dialog()->show();
    emit sigDialogShown();
}

void Launcher::UpgradeEnded() {
    show_delay.stop();
}

// The client is up (or cannot be): what remains, the old copy's removal, needs no window.
void Launcher::StartScriptDone() {
    show_delay.stop();
    if (dialog != nullptr)
        dialog->hide();
}

void Launcher::RaiseDialog() {
    if (dialog == nullptr || !dialog->isVisible())
        return;  // nothing is shown during an up-to-date run
    dialog->showNormal();
    dialog->raise();
    dialog->activateWindow();
}

void Launcher::LaunchDone() {
    StartScriptDone();
    worker->QuitThread();
    worker->JoinThread();
    LogRunOutcome(worker->outcome);
    QCoreApplication::quit();
}
