#include "launcher/desktop-notice.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>

#include "common/log.h"
#include "telk/uipathmanager.h"
#include "texts/strtable.h"

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kObjectPath[] = "/org/freedesktop/Notifications";
constexpr int kAppNameText = 203;
constexpr int kServerExpiry = -1;
// A desktop whose notification service hangs must not keep the launcher running.
constexpr int kCallTimeoutMs = 5000;

// True when the notification service took the notice.
bool Notify(const QString &summary, const QString &body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        LOX_LOG(NOTE, "launcher_debug", "desktop-notice",
                "no session bus (%s), telling the user on standard error",
                bus.lastError().message().toUtf8().constData());
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObjectPath, kService, "Notify");
    const QString icon =
        UIPathManager::getInstance()->getPath("root_resource_path") + "/images/ico_72_nimbrel.png";
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("brenthor-loxen"));
    call << StrTable::LoadStr(kAppNameText) << 0u << icon << summary << body << QStringList()
         << hints << kServerExpiry;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        LOX_LOG(NOTE, "launcher_debug", "desktop-notice",
                "no notification service took the notice (%s), telling the user on standard error",
                reply.errorMessage().toUtf8().constData());
        return false;
    }
    return true;
}

}  // namespace

void ShowDesktopNotice(const QString &summary, const QString &body) {
    if (!Notify(summary, body))
        std::fprintf(stderr, "%s\n%s\n", summary.toLocal8Bit().constData(),
                     body.toLocal8Bit().constData());
}
