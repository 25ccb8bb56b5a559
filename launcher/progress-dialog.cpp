#include "launcher/progress-dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QShowEvent>
#include <climits>

#include "common/log.h"
#include "telk/dpiinfo.h"
#include "telk/uipathmanager.h"
#include "texts/strtable.h"

namespace {

constexpr int kAppNameText = 203;
constexpr int kInitializingText = 1052;
constexpr double kBaseWidth = 400.0;
const char kStyleSheet[] =
    "QProgressDialog { background-color: WhiteSmoke; vertical-align: middle; }";

}  // namespace

ProcessingProgressDialog::ProcessingProgressDialog() : QProgressDialog(nullptr, Qt::WindowFlags()) {
    const QFont font = QApplication::font();
    const QString icon_path =
        UIPathManager::getInstance()->getPath("root_resource_path") + "/images/ico_72_nimbrel.png";
    const QString app_name = StrTable::LoadStr(kAppNameText);

    setWindowTitle(app_name);
    setWindowIcon(QIcon(icon_path));
    setWindowFlags(Qt::WindowTitleHint | Qt::WindowSystemMenuHint);
    setValue(0);
    setRange(0, 100);
    setLabelText(StrTable::LoadStr(kInitializingText).arg(app_name, 0, QChar(' ')));
    setFont(font);
    setModal(true);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(static_cast<int>(DPIinfo::getInstance()->getDPI() * kBaseWidth));
    setStyleSheet(DPIinfo::getInstance()->getScaledStyleSheet(kStyleSheet));
    // The toolkit would show the dialog by itself once a run lasts a few seconds, even one
    // that installs nothing; only the worker's request may show it.
    setMinimumDuration(INT_MAX);
    // One line of text and a bar: a window manager must not offer to stretch it (maximise).
    ensurePolished();
    setFixedHeight(sizeHint().height());
}

// Escape: the work goes on whatever the user presses, so there is nothing to cancel.
void ProcessingProgressDialog::reject() {}

// A close request from the window manager (close button, Alt+F4) would hide the only sign
// that the user's installation is being rewritten; the launcher hides the dialog when done.
void ProcessingProgressDialog::closeEvent(QCloseEvent *event) {
    event->ignore();
}

void ProcessingProgressDialog::showEvent(QShowEvent *event) {
    // The window system repeats the event when the window comes back (restored, raised by a
    // second launcher): only the launcher's own show is news.
    if (!event->spontaneous())
        LOX_LOG(INFO, "launcher_debug", "launcher",
                "progress dialog shown on the '%s' display platform",
                QGuiApplication::platformName().toUtf8().constData());
    QProgressDialog::showEvent(event);
}
