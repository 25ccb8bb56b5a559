#include "service/cloud-service.h"

#include <QDir>
#include <QSettings>
#include <QVariant>

#include "common/file-op.h"
#include "common/log.h"
#include "service/registry-path.h"

namespace {

void ReadKey(const QSettings &settings, const char *key, ustring &field) {
    if (settings.contains(QString::fromLatin1(key)))
        field = settings.value(QString::fromLatin1(key)).toString().toUtf8().constData();
}

// Fills the fields that the file's Version group holds; other fields keep their values.
void LoadVersionFile(const ustring &path, Service::VersionInfo &info) {
    QSettings settings(QString::fromUtf8(path.c_str()), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    settings.beginGroup(QStringLiteral("Version"));
    ReadKey(settings, "major_version", info.major_version);
    ReadKey(settings, "minor_version", info.minor_version);
    ReadKey(settings, "build_version", info.build_version);
    ReadKey(settings, "icon_overlay_version", info.icon_overlay_version);
}

}  // namespace

Service::Service() : timeout(0) {}

Service::~Service() = default;

void Service::SetTimeout(int timeout) {
    this->timeout = timeout;
}

ClientProblem Service::GetClientProblem() const {
    return client_problem;
}

QString Service::GetUserInstallPath() {
    return QDir::homePath();
}

void Service::LoadTargetVersion() {
    LoadVersionFile(RegistryPath("root_resource_path") + "/INFO", target_version);
    LOX_LOG(INFO, "service_debug", "cloud-service", "target_version = (%s, %s, %s, %s)",
            target_version.major_version.c_str(), target_version.minor_version.c_str(),
            target_version.build_version.c_str(), target_version.icon_overlay_version.c_str());
}

void Service::LoadSourceVersion() {
    ustring path = RegistryPath("user_brenthor_loxen_resource_path") + "/INFO";
    if (!IsFileExist(path, false)) {
        LOX_LOG(INFO, "service_debug", "cloud-service", "source does not exist");
        return;
    }
    LoadVersionFile(path, source_version);
    LOX_LOG(INFO, "service_debug", "cloud-service", "source_version = (%s, %s, %s, %s)",
            source_version.major_version.c_str(), source_version.minor_version.c_str(),
            source_version.build_version.c_str(), source_version.icon_overlay_version.c_str());
}
