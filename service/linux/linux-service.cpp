#include "service/linux/linux-service.h"

#include <unistd.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "common/log.h"
#include "service/linux/client-stop.h"
#include "service/registry-path.h"
#include "service/version-file.h"

namespace {

// Until a desktop notification says it, a run that leaves no working client says so on
// standard error, besides the log.
void ReportNoClient(const char *why) {
    LOX_LOG(ERROR, "service_debug", "linux/linux-service", "not starting the client: %s", why);
    std::fprintf(stderr, "Brenthor Loxen: the client was not started: %s.\n", why);
}

}  // namespace

LinuxService::LinuxService() : Service() {
    timeout = 10000;
    app_path = RegistryPath("user_brenthor_loxen_app_path");
}

LinuxService *LinuxService::GetInstace() {
    static LinuxService instance;
    return &instance;
}

void LinuxService::StopService() {
    ClientIdentity client{app_path, RegistryPath("user_brenthor_loxen_ui_path")};
    StopClient(RegistryPath("user_brenthor_loxen_path") + "/ui.pid", client);
}

int LinuxService::HandlePackageUpgrade() {
    if (PerUserBinPathExist()) {
        LOX_LOG(DEBUG, "service_debug", "linux/linux-service", "local appdata exist");
        StopService();
    }
    return PrepareUserEnv();
}

int LinuxService::PostUpgrade() {
    LaunchPerUserBin();
    return 0;
}

void LinuxService::PreUpgrade() {
    LoadTargetVerInfo();
    LoadSourceVerInfo();
    LOX_LOG(DEBUG, "service_debug", "linux/linux-service", "Source version: ('%s', '%s')",
            source_version.build_version.c_str(), source_version.icon_overlay_version.c_str());
    LOX_LOG(DEBUG, "service_debug", "linux/linux-service", "Target version: ('%s', '%s')",
            target_version.build_version.c_str(), target_version.icon_overlay_version.c_str());
}

bool LinuxService::IsNeedUpgrade() {
    int source = 0;
    int target = 0;
    if (!source_version.build_version.empty())
        source = BuildNumber(source_version.build_version);
    if (!target_version.build_version.empty())
        target = BuildNumber(target_version.build_version);
    LOX_LOG(DEBUG, "service_debug", "linux/linux-service",
            "source version = %d, target version = %d", source, target);
    bool need = target > source;
    if (!PerUserBinPathExist())
        need = true;
    if (IsReplacementPending()) {
        LOX_LOG(NOTE, "service_debug", "linux/linux-service",
                "replacement of '%s' did not finish, replacing it again", app_path.c_str());
        need = true;
    }
    return need;
}

void LinuxService::LoadSourceVerInfo() {
    Service::LoadSourceVersion();
}

void LinuxService::LoadTargetVerInfo() {
    Service::LoadTargetVersion();
}

bool LinuxService::PerUserBinPathExist() {
    return ::access(RegistryPath("user_brenthor_loxen_ui_path").c_str(), F_OK) == 0;
}

int LinuxService::LaunchPerUserBin() {
    if (IsReplacementPending()) {
        ReportNoClient(
            "the replacement of the client could not be finished (the previous "
            "installation is kept beside it, see the log)");
        return 0;
    }
    if (!PerUserBinPathExist()) {
        ReportNoClient("no client is installed");
        return 0;
    }
    // Program and argument apart: a home directory with a space must not split the path.
    QString script = QString::fromUtf8((app_path + "/package/start-stop").c_str());
    QProcess::execute(script, QStringList{QStringLiteral("start")});
    return 0;
}
