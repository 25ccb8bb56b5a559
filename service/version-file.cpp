#include "service/version-file.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <cctype>
#include <climits>

#include "common/log.h"

namespace {

// Blanks, an optional sign and decimal digits, nothing else.
bool IsPlainNumber(const QString &text) {
    const QString trimmed = text.trimmed();
    int at = trimmed.startsWith('+') || trimmed.startsWith('-') ? 1 : 0;
    if (at == trimmed.size())
        return false;
    for (; at < trimmed.size(); ++at)
        if (trimmed[at] < '0' || trimmed[at] > '9')
            return false;
    return true;
}

void ReadKey(const QSettings &settings, const char *key, ustring &field) {
    if (settings.contains(QString::fromLatin1(key)))
        field = settings.value(QString::fromLatin1(key)).toString().toUtf8().constData();
}

// The reader turns "121, beta" into a list whose text is empty: that must not pass for 0.
void ReadBuildKey(const QSettings &settings, const ustring &path, ustring &field) {
    const QString key = QStringLiteral("build_version");
    if (!settings.contains(key))
        return;
    const QVariant value = settings.value(key);
    const QString text =
        value.type() == QVariant::StringList ? value.toStringList().join(", ") : value.toString();
    if (text.isEmpty() || IsPlainNumber(text)) {
        field = text.toUtf8().constData();
        return;
    }
    LOX_LOG(WARNING, "service_debug", "cloud-service",
            "ignoring build_version '%s' in '%s': not a plain number, read as missing",
            text.toUtf8().constData(), path.c_str());
}

}  // namespace

void LoadVersionFile(const ustring &path, Service::VersionInfo &info) {
    QSettings settings(QString::fromUtf8(path.c_str()), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("Version"));
    ReadKey(settings, "major_version", info.major_version);
    ReadKey(settings, "minor_version", info.minor_version);
    ReadBuildKey(settings, path, info.build_version);
    ReadKey(settings, "icon_overlay_version", info.icon_overlay_version);
}

int BuildNumber(const ustring &text) {
    const char *p = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        return value > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}
