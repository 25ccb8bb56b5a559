#include "service/linux/linux-service.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>

#include "common/file-op.h"
#include "common/log.h"
#include "service/linux/client-stop.h"
#include "service/package-fd.h"
#include "service/registry-path.h"
#include "service/space-check.h"
#include "service/version-file.h"

namespace {

// The log says why; the launcher tells the user (desktop notice, or standard error).
void ReportNoClient(const char *why) {
    LOX_LOG(ERROR, "service_debug", "linux/linux-service", "not starting the client: %s", why);
}

// The client must not inherit what this process ignores or blocks (the toolkit and the
// threads change both): every signal back to its default, none blocked.
void ResetSignals(posix_spawnattr_t &attributes) {
    sigset_t all, none;
    ::sigfillset(&all);
    ::sigemptyset(&none);
    ::posix_spawnattr_setsigdefault(&attributes, &all);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

// Runs `script start` with the launcher's environment and output, and no input. The exit
// status; -1 when it was killed; -2 when it could not be started, with the system's reason in
// start_error.
int RunStartScript(const ustring &script, int &start_error) {
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // Nor what the launcher itself was given beyond the three by whoever started it.
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    ResetSignals(attributes);
    char *const argv[] = {const_cast<char *>(script.c_str()), const_cast<char *>("start"), nullptr};
    pid_t pid = 0;
    start_error = ::posix_spawn(&pid, script.c_str(), &actions, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    if (start_error != 0)
        return -2;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsNoExec(const ustring &path) {
    struct statvfs fs;
    return ::statvfs(path.c_str(), &fs) == 0 && (fs.f_flag & ST_NOEXEC) != 0;
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

RunProblem LinuxService::HandlePackageUpgrade() {
    // A replacement that an earlier run left half done is finished first: whatever stops this
    // one, the client starts from a whole copy, and the check sees no partial tree.
    RunProblem problem;
    const int recovered = RecoverInterruptedReplacement(problem);
    if (recovered != 0)
        return problem;
    PackageExtractor *extractor = LoadExtractor();
    if (extractor == nullptr)
        return ProblemOf(ClientProblem::IncompleteInstallation);
    // Checked and extracted through one open file: a package replaced in between by a rename
    // cannot slip in unchecked.
    const ustring package = PackageFilePath();
    const PackageFd fd(package);
    if (fd.get() < 0) {
        LOX_LOG(ERROR, "service_debug", "linux/linux-service", "cannot open package '%s': %s; %s",
                package.c_str(), std::strerror(fd.error()), NothingChanged());
        // Missing or unreadable, it is the program's installation that needs mending.
        return ProblemOf(ClientProblem::IncompleteInstallation, fd.error());
    }
    package_fd = fd.get();
    package_entries = 0;
    package_budget = SpaceBudget(RegistryPath("user_brenthor_loxen_path"), free_space);
    // With a client to protect the check comes before it is stopped: an update that cannot be
    // unpacked, or cannot fit, must cost the user nothing. A first install checks as it unpacks.
    if (PerUserBinPathExist())
        problem = CheckBeforeStop(*extractor, package);
    if (!problem.failed())
        problem = ReplaceAppDir();
    package_fd = -1;
    return problem;
}

RunProblem LinuxService::CheckBeforeStop(PackageExtractor &extractor, const ustring &package) {
    PackageExtractor::CheckResult result;
    const auto start = std::chrono::steady_clock::now();
    if (extractor.Check(package_fd, app_path.c_str(), package_budget, kPackageStallMs, result) != 0)
        return CheckProblem(result, package, NothingChanged(), free_space);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    LOX_LOG(INFO, "service_debug", "linux/linux-service",
            "package '%s' checked in %.2f s: %lld entries, %lld bytes; it fits in '%s'",
            package.c_str(), took.count(), result.entries, result.bytes, free_space.folder.c_str());
    package_entries = static_cast<int>(std::min<long long>(result.entries, INT_MAX));
    LOX_LOG(DEBUG, "service_debug", "linux/linux-service", "local appdata exist");
    StopService();
    return RunProblem();
}

const char *LinuxService::NothingChanged() {
    return PerUserBinPathExist() ? "leaving the client and its copy as they are"
                                 : "installing nothing";
}

RunProblem LinuxService::PostUpgrade() {
    return LaunchPerUserBin();
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
    } else if (!need && FindCopyDamage()) {
        need = true;
        verdict = "damaged copy: replace it";
    }
    TidyReplacementRecord();
    if (IsReplacementRecordUnreadable()) {
        // The replacement stops at its recovery, which says why; the client starts from the
        // copy in place, if it has one, and the user is told either way.
        need = true;
        verdict = "unreadable replacement record: leaving the folder as it is";
    } else if (IsReplacementPending()) {
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

RunProblem LinuxService::LaunchPerUserBin() {
    if (IsReplacementPending()) {
        ReportNoClient(
            "the replacement of the client could not be finished (the previous "
            "installation is kept beside it, see the log)");
        return ProblemOf(ClientProblem::UnfinishedReplacement);
    }
    if (!PerUserBinPathExist()) {
        ReportNoClient("no client is installed");
        return ProblemOf(ClientProblem::ClientNotRunnable);
    }
    // Program and argument apart: a home directory with a space must not split the path.
    const ustring script = app_path + "/package/start-stop";
    const auto start = std::chrono::steady_clock::now();
    int start_error = 0;
    const int status = RunStartScript(script, start_error);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    RunProblem problem = ProblemOf(ClientProblem::ClientNotRunnable);
    if (status == -2) {
        problem.error_number = start_error;
        problem.noexec = IsNoExec(script);
        problem.folder = app_path.c_str();
        LOX_LOG(ERROR, "service_debug", "linux/linux-service",
                "start script '%s' could not be started: %s (errno %d)%s", script.c_str(),
                std::strerror(start_error), start_error,
                problem.noexec
                    ? "; its file system is mounted noexec, which forbids running programs"
                    : "");
        NoteUnrunnableStartScript(start_error, problem.noexec);
    } else {
        LOX_LOG(INFO, "service_debug", "linux/linux-service",
                "start script '%s' ended with status %d after %.2f s", script.c_str(), status,
                took.count());
    }
    return status == 0 ? RunProblem() : problem;
}
