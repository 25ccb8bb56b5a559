#include "launcher/desktop-notice-bus.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kObjectPath[] = "/org/freedesktop/Notifications";
constexpr int kServerExpiry = -1;
// A desktop whose notification service hangs must not keep the launcher running.
constexpr int kCallTimeoutMs = 5000;

int Fail(char *why, size_t why_size, const QString &reason) {
    qstrncpy(why, reason.toUtf8().constData(), static_cast<uint>(why_size));
    return -1;
}

}  // namespace

extern "C" int loxen_notify(const char *app_name, const char *icon, const char *summary,
                            const char *body, char *why, size_t why_size) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return Fail(why, why_size, "no session bus (" + bus.lastError().message() + ")");
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kObjectPath, kService, "Notify");
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("brenthor-loxen"));
    call << QString::fromUtf8(app_name) << 0u << QString::fromUtf8(icon)
         << QString::fromUtf8(summary) << QString::fromUtf8(body) << QStringList() << hints
         << kServerExpiry;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Fail(why, why_size,
                    "no notification service took it (" + reply.errorMessage() + ")");
    return 0;
}
