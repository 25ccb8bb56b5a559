#include "launcher/toolkit-messages.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "common/log.h"

namespace {

using Report = std::pair<QtMsgType, QByteArray>;

// The toolkit may report from its own threads (an X connection's reader) before the log exists.
std::mutex reports_mutex;
std::vector<Report> held_reports;
bool sending_to_log = false;

QByteArray TextOf(const QMessageLogContext &context, const QString &message) {
    const char *category = context.category;
    if (category == nullptr || std::strcmp(category, "default") == 0)
        return message.toUtf8();
    return QByteArray(category) + ": " + message.toUtf8();
}

// Its warnings are the toolkit's reasons behind what the launcher notes itself (the platform it
// fell back to, a window without a title bar): details for whoever raises the level to 7.
void WriteToLog(const Report &report) {
    const char *text = report.second.constData();
    switch (report.first) {
        case QtCriticalMsg:
            LOX_LOG(WARNING, "launcher_debug", "toolkit", "%s", text);
            break;
        case QtFatalMsg:
            LOX_LOG(ERROR, "launcher_debug", "toolkit", "%s", text);
            break;
        default:
            LOX_LOG(DEBUG, "launcher_debug", "toolkit", "%s", text);
            break;
    }
}

// The toolkit ends the process after a fatal report: whoever started it learns why, with
// everything that led there.
void TellTerminal(const Report &fatal) {
    for (const Report &report : held_reports)
        std::fprintf(stderr, "%s\n", report.second.constData());
    std::fprintf(stderr, "%s\n", fatal.second.constData());
}

void Receive(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    const Report report{type, TextOf(context, message)};
    std::lock_guard<std::mutex> lock(reports_mutex);
    if (type == QtFatalMsg)
        TellTerminal(report);
    if (sending_to_log)
        WriteToLog(report);
    else
        held_reports.push_back(report);
}

}  // namespace

namespace ToolkitMessages {

void Hold() {
    qInstallMessageHandler(Receive);
}

void SendToLog() {
    std::lock_guard<std::mutex> lock(reports_mutex);
    for (const Report &report : held_reports) WriteToLog(report);
    held_reports.clear();
    sending_to_log = true;
}

}  // namespace ToolkitMessages
