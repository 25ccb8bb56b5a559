#include "service/cloud-service.h"

#include <QDir>

#include "common/file-op.h"
#include "common/log.h"
#include "service/registry-path.h"
#include "service/version-file.h"

Service::Service() : timeout(0) {}

Service::~Service() = default;

void Service::SetTimeout(int timeout) {
    this->timeout = timeout;
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
