#include "launcher/worker.h"

#include <QFile>
#include <climits>

#include "common/log.h"
#include "launcher/handler-thread.h"
#include "launcher/run-outcome.h"
#include "service/cloud-service.h"
#include "service/linux/linux-service.h"
#include "telk/uipathmanager.h"
#include "texts/strtable.h"

namespace {

constexpr int kAppNameText = 203;
constexpr int kReadyText = 497;

}  // namespace

Worker::Worker() : Worker(new LinuxService()) {}

Worker::Worker(Service *service) : QObject(nullptr), thread(nullptr), service(service) {
    thread = new HandlerThread();
    moveToThread(thread);
}

Worker::~Worker() {
    // A thread object must never die while its thread runs; LaunchDone normally stopped it.
    if (thread->isRunning()) {
        QuitThread();
        JoinThread();
    }
    delete thread;
    delete service;
}

void Worker::StartThread() {
    thread->start(QThread::InheritPriority);
}

void Worker::QuitThread() {
    thread->quit();
}

void Worker::JoinThread() {
    thread->wait(ULONG_MAX);
    thread->WaitUntilEnded();
}

void Worker::ReplaceCopy() {
    outcome.first_install =
        !QFile::exists(UIPathManager::getInstance()->getPath("user_brenthor_loxen_ui_path"));
    outcome.repair = service->IsCopyDamaged();
    emit sigShowMsg();
    outcome.install = service->HandlePackageUpgrade();
    emit sigUpgradeEnded();
    if (outcome.install.failed() && outcome.first_install) {
        LOX_LOG(ERROR, "launcher_debug", "launcher", "Failed to install package");
    } else if (outcome.install.failed()) {
        LOX_LOG(ERROR, "launcher_debug", "launcher", "Failed to upgrade package");
    } else {
        // The bar stays short of 100 until the dialog closes: the client is not up yet.
        emit sigSetLabelText(
            StrTable::LoadStr(kReadyText).arg(StrTable::LoadStr(kAppNameText), 0, QChar(' ')));
    }
}

void Worker::HandleServicce() {
    LOX_LOG(DEBUG, "launcher_debug", "launcher", "running");
    service->PreUpgrade();
    outcome = RunOutcome();
    outcome.upgrade_needed = service->IsNeedUpgrade();
    if (outcome.upgrade_needed)
        ReplaceCopy();
    else
        LOX_LOG(DEBUG, "launcher_debug", "launcher", "no need to upgrade");
    service->RemoveAgedFolders();
    outcome.start = service->PostUpgrade();
    // A start script that cannot be run damages a copy this run has not replaced: once more.
    if (!outcome.upgrade_needed && service->IsCopyDamaged()) {
        outcome.upgrade_needed = true;
        ReplaceCopy();
        outcome.start = service->PostUpgrade();
    }
    emit sigStartScriptDone();
    // The old copy goes only now, so the client is not kept waiting for it.
    service->FinishReplacement();
    LOX_LOG(DEBUG, "launcher_debug", "launcher", "done");
    ReportRunOutcome(outcome);
    emit sigServiceDone();
}
