#include "launcher/display-platform.h"

#include <QGuiApplication>
#include <QStringList>
#include <QtGlobal>

#include "common/log.h"

namespace {

const char kVariable[] = "QT_QPA_PLATFORM";
// What the toolkit of this system starts without a choice of the session.
const char kDefaultPlatform[] = "xcb";

// "wayland:arg=1" names the platform "wayland".
QString NameOf(const QString &entry) {
    return entry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
}

}  // namespace

DisplayPlatform::DisplayPlatform()
    : was_set_(qEnvironmentVariableIsSet(kVariable)), session_value_(qgetenv(kVariable)) {
    QStringList entries =
        QString::fromLocal8Bit(session_value_).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (entries.isEmpty())
        entries << QString::fromLatin1(kDefaultPlatform);
    first_choice_ = NameOf(entries.first());
    QStringList names;
    for (const QString &entry : entries) names << NameOf(entry);
    for (const char *fallback : {kDefaultPlatform, "offscreen"}) {
        if (!names.contains(QLatin1String(fallback)))
            entries << QString::fromLatin1(fallback);
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
