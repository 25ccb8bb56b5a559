#include "service/linux/linux-service.h"

#include <unistd.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <string>

#include "common/log.h"
#include "service/linux/client-stop.h"
#include "service/registry-path.h"
#include "service/version-file.h"

namespace {

// The log says why; the launcher tells the user (desktop notice, or standard error).
void ReportNoClient(const char *why) {
    LOX_LOG(ERROR, "service_debug", "linux/linux-service", "not starting the client: %s", why);
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
    extract_error = -1;
    extractor_missing = false;
    const int ret = PrepareUserEnv();
    const int error_number = errno;
    if (ret != 0)
        client_problem = extractor_missing
                             ? ClientProblem::IncompleteInstallation
                             : InstallProblem(extract_error >= 0 ? extract_error : error_number,
                                              extract_error >= 0);
    return ret;
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
    const char *verdict = need ? "upgrade" : "up to date";
    if (!PerUserBinPathExist()) {
        need = true;
        verdict = source_version.build_version.empty() ? "install"
                                                       : "client executable missing: install again";
    }
    if (IsReplacementPending()) {
        LOX_LOG(NOTE, "service_debug", "linux/linux-service",
                "replacement of '%s' did not finish, replacing it again", app_path.c_str());
        need = true;
        verdict = "unfinished replacement: replace again";
    }
    LOX_LOG(INFO, "service_debug", "linux/linux-service", "per-user copy %s, installed %s: %s",
            source_version.build_version.empty() ? "none" : std::to_string(source).c_str(),
            target_version.build_version.empty() ? "none" : std::to_string(target).c_str(),
            verdict);
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
        client_problem = ClientProblem::UnfinishedReplacement;
        return 0;
    }
    if (!PerUserBinPathExist()) {
        ReportNoClient("no client is installed");
        // A failed installation keeps its own reason: it is why the client is missing.
        if (client_problem == ClientProblem::None)
            client_problem = ClientProblem::ClientNotRunnable;
        return 0;
    }
    // Program and argument apart: a home directory with a space must not split the path.
    const ustring script = app_path + "/package/start-stop";
    const auto start = std::chrono::steady_clock::now();
    const int status =
        QProcess::execute(QString::fromUtf8(script.c_str()), QStringList{QStringLiteral("start")});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    // QProcess gives -2 for a script that could not be started, -1 for one that crashed.
    LOX_LOG(INFO, "service_debug", "linux/linux-service",
            "start script '%s' ended with status %d after %.2f s", script.c_str(), status,
            took.count());
    if (status == 0)
        client_problem = ClientProblem::None;
    else if (client_problem == ClientProblem::None)
        client_problem = ClientProblem::ClientNotRunnable;
    return 0;
}
