#include "launcher/display-platform.h"

#include <QGuiApplication>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <QtGlobal>

#include "common/log.h"

namespace {

const char kVariable[] = "QT_QPA_PLATFORM";
// What the toolkit of this system starts when neither the variable nor the session type says.
const char kDefaultPlatform[] = "xcb";
const char kWayland[] = "wayland";

// "wayland:arg=1" names the platform "wayland".
QString NameOf(const QString &entry) {
    return entry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
}

// The toolkit's own pick without the variable: Wayland first in a Wayland session, except under
// GNOME, where it stays with X11.
QStringList ToolkitChoice() {
    const QStringList x11{QString::fromLatin1(kDefaultPlatform)};
    if (qgetenv("XDG_SESSION_TYPE") != kWayland)
        return x11;
    const QByteArray desktops =
        (qgetenv("XDG_CURRENT_DESKTOP") + ':' + qgetenv("XDG_SESSION_DESKTOP")).toLower();
    if (desktops.contains("gnome"))
        return x11;
    return QStringList{QString::fromLatin1(kWayland)} + x11;
}

}  // namespace

DisplayPlatform::DisplayPlatform()
    : was_set_(qEnvironmentVariableIsSet(kVariable)), session_value_(qgetenv(kVariable)) {
    QStringList entries =
        QString::fromLocal8Bit(session_value_).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (entries.isEmpty())
        entries = ToolkitChoice();
    first_choice_ = NameOf(entries.first());
    QStringList names;
    for (const QString &entry : entries) names << NameOf(entry);
    // A compositor without X11 beside it (no XWayland) still shows the dialog.
    QStringList fallbacks;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        fallbacks << QString::fromLatin1(kWayland);
    fallbacks << QString::fromLatin1(kDefaultPlatform) << QStringLiteral("offscreen");
    for (const QString &fallback : fallbacks) {
        if (!names.contains(fallback))
            entries << fallback;
    }
    qputenv(kVariable, entries.join(QLatin1Char(';')).toLocal8Bit());
}

void DisplayPlatform::RestoreSessionChoice() const {
    if (was_set_)
        qputenv(kVariable, session_value_);
    else
        qunsetenv(kVariable);
}

void DisplayPlatform::LogFallback() const {
    const QString used = QGuiApplication::platformName();
    if (used == first_choice_)
        return;
    LOX_LOG(NOTE, "launcher_debug", "main",
            "display platform '%s' could not be used, running with '%s'",
            first_choice_.toUtf8().constData(), used.toUtf8().constData());
}

void DisplayPlatform::LogMissingTitleBar(const QWidget &window) const {
    // Only Wayland knows the frame as soon as the window is shown: its client draws it.
    const QWindow *handle = window.windowHandle();
    if (QGuiApplication::platformName() != QLatin1String(kWayland) || handle == nullptr ||
        handle->frameMargins().top() > 0)
        return;
    // The toolkit's lines just above, at DEBUG, say why (a plug-in it could not load).
    LOX_LOG(NOTE, "launcher_debug", "main",
            "the dialog is shown without a title bar on the 'wayland' display platform");
}
