// Replacing the per-user application directory: backup, extraction, rollback, clean-up.
// A journal beside the directory lets the next run finish a replacement that was cut short.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/file-op.h"
#include "common/log.h"
#include "common/module-loader.h"
#include "extractor/package-extractor.h"
#include "service/app-backup.h"
#include "service/cloud-service.h"
#include "service/installed-record.h"
#include "service/package-fd.h"
#include "service/registry-path.h"
#include "service/replace-journal.h"
#include "service/space-check.h"
#include "service/version-file.h"

// The steps below return 0, or the system error number saved right after the call that failed:
// logging and clean-up in between may change errno.
namespace {

// errno of a call that failed; one that set none still failed.
int SavedErrno() {
    return errno != 0 ? errno : EIO;
}

// A power cut after the backups are gone must not find the new files still in the cache.
int FlushFileSystem(const ustring &dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int ret = fd < 0 ? -1 : ::syncfs(fd);
    const int error = ret != 0 ? SavedErrno() : 0;
    if (fd >= 0)
        ::close(fd);
    if (error != 0)
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to flush '%s' to disk: %s",
                dir.c_str(), std::strerror(error));
    return error;
}

// Puts the old installation back under the application name, over whatever is there. A
// failure says what blocks it and where the intact old installation is, on every run.
int RestoreBackup(const ustring &app, const ustring &backup) {
    if (FSRemoveOwnTree(app) != 0) {
        const int error = SavedErrno();
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "cannot restore the old installation: failed to remove '%s': %s; the old "
                "installation is intact in '%s'",
                app.c_str(), std::strerror(error), backup.c_str());
        return error;
    }
    if (FSRename(backup, app, false) != 0) {
        const int error = SavedErrno();
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "cannot restore the old installation: failed to move '%s' back to '%s': %s; the "
                "old installation is intact in '%s'",
                backup.c_str(), app.c_str(), std::strerror(error), backup.c_str());
        return error;
    }
    return 0;
}

// A partial tree could pass for an installation, so nothing of it may stay.
int RemoveIncomplete(const ustring &app) {
    if (FSRemoveOwnTree(app) == 0)
        return 0;
    const int error = SavedErrno();
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "failed to remove incomplete installation '%s': %s", app.c_str(), std::strerror(error));
    return error;
}

// 0, or -1 when something of it stayed (logged with the reason).
int RemoveBackup(const ustring &backup) {
    if (FSRemoveOwnTree(backup) == 0)
        return 0;
    LOX_LOG(WARNING, "service_debug", "cloud-service", "cannot remove old backup '%s': %s",
            backup.c_str(), std::strerror(errno));
    return -1;
}

// Once the new installation is complete every backup name is stale, also those above this
// run's number: none is left to pile up.
void RemoveBackupNames(const ustring &app) {
    for (int m = 0; m < kAppBackupNames; ++m) {
        RemoveBackup(GetAppBackupDir(app, m));
        NotifyReplaceStep("backup-removed");
    }
}

// Leaves a complete installation (or none) under the application name after a run that
// died in the middle of a replacement, and drops the journal. -1 for a record that cannot be
// read.
int FinishInterruptedReplacement(const ustring &app, ReplaceJournal &journal) {
    if (!journal.Exists())
        return 0;
    int n = -1;
    ReplaceJournal::Step step = journal.Read(n);
    ustring backup = n >= 0 ? GetAppBackupDir(app, n) : ustring();
    LOX_LOG(NOTE, "service_debug", "cloud-service",
            "finishing interrupted replacement of '%s' (step %d, backup %d)", app.c_str(),
            static_cast<int>(step), n);
    int ret = 0;
    switch (step) {
        case ReplaceJournal::STEP_BACKUP:
            // The move to the backup name either never happened or is complete.
            if (!IsFileExist(app, false) && IsFileExist(backup, false))
                ret = RestoreBackup(app, backup);
            break;
        case ReplaceJournal::STEP_EXTRACT:
            if (n < 0)
                ret = RemoveIncomplete(app);
            else if (IsFileExist(backup, false))
                ret = RestoreBackup(app, backup);
            // Without the backup a rollback already put the old installation back.
            break;
        case ReplaceJournal::STEP_CLEANUP:
            RemoveBackupNames(app);
            break;
        case ReplaceJournal::STEP_UNKNOWN:
            // Which name holds the whole copy is unknown: any move could cost it.
            return -1;
    }
    if (ret != 0)
        return ret;
    return journal.Remove() == 0 ? 0 : SavedErrno();
}

// A user moves the per-user root to another disk by leaving a link in its place; a link to a
// folder of this user serves as the root. Anything else takes FSMKDir's checks, and nothing
// below the root is followed.
int PrepareUserRoot(const ustring &root) {
    struct stat st;
    if (::lstat(root.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return FSMKDir(root, true) == 0 ? 0 : SavedErrno();
    if (::stat(root.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        return 0;
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "per-user folder '%s' is a link, but not to a folder of this user: leaving it alone",
            root.c_str());
    return EACCES;
}

// Moves the application directory to the first free backup name; n is that name's number.
int BackupApp(const ustring &app, ReplaceJournal &journal, ustring &backup, int &n) {
    for (n = 0;;) {
        backup = GetAppBackupDir(app, n);
        // A backup that an earlier run could not remove is stale: the journal is gone.
        if (IsFileExist(backup, false))
            RemoveBackup(backup);
        if (journal.Record(ReplaceJournal::STEP_BACKUP, n) != 0) {
            const int error = SavedErrno();
            journal.Remove();
            return error;
        }
        if (FSRename(app, backup, false) == 0)
            break;
        const int error = SavedErrno();
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to backup app from '%s' -> '%s'",
                app.c_str(), backup.c_str());
        if (++n == kAppBackupNames) {
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "failed to backup app from '%s' -> '%s' at max retries, exiting", app.c_str(),
                    backup.c_str());
            journal.Remove();
            return error;
        }
    }
    NotifyReplaceStep("backup-renamed");
    if (journal.Record(ReplaceJournal::STEP_EXTRACT, n) == 0)
        return 0;
    const int error = SavedErrno();
    if (RestoreBackup(app, backup) == 0)
        journal.Remove();
    return error;
}

// extracted: the package was extracted completely, but could not be flushed to disk. The
// problem that made it roll back is returned unchanged.
RunProblem RollBack(const ustring &app, ReplaceJournal &journal, const ustring &backup,
                    bool extracted, const RunProblem &problem) {
    int ret;
    if (backup.empty()) {
        if (extracted)
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "Extracted package could not be flushed to disk, and no old installation "
                    "to rollback");
        else
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "Failed to extract package, and no old installation to rollback");
        ret = RemoveIncomplete(app);
    } else {
        if (extracted)
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "Extracted package could not be flushed to disk, rollback to old "
                    "installation");
        else
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "Failed to extract package, rollback to old installation");
        ret = RestoreBackup(app, backup);
    }
    // Otherwise the journal stays and the next run finishes the rollback.
    if (ret == 0)
        journal.Remove();
    return problem;
}

// The new installation is complete and flushed: from here on the next run keeps it.
int RecordComplete(const ustring &app, ReplaceJournal &journal, int n) {
    if (journal.Record(ReplaceJournal::STEP_CLEANUP, n) != 0) {
        // Unrecorded removals could leave a half-removed backup that looks restorable.
        LOX_LOG(WARNING, "service_debug", "cloud-service", "keeping the backups of '%s'",
                app.c_str());
        return journal.Remove() == 0 ? 0 : SavedErrno();
    }
    NotifyReplaceStep("cleanup-recorded");
    return 0;
}

// The journal lives beside the application directory, so its parent comes first.
int PrepareFirstInstall(const ustring &app, ReplaceJournal &journal) {
    int error = PrepareUserRoot(FSParentPath(app));
    if (error != 0)
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to create folder: '%s'",
                app.c_str());
    else if (journal.Record(ReplaceJournal::STEP_EXTRACT, -1) == 0)
        return 0;
    else
        error = SavedErrno();
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "Failed to extract package, and no old installation to rollback");
    return error;
}

// An interrupted replacement forces a new one whatever the builds say; but a package that is
// now older than the installation the recovery put back must not replace it.
bool IsNewerThanPackage(const ustring &app, const Service::VersionInfo &target) {
    Service::VersionInfo kept;
    LoadVersionFile(app + "/INFO", kept);
    if (target.build_version.empty() || kept.build_version.empty() ||
        ::access(RegistryPath("user_brenthor_loxen_ui_path").c_str(), F_OK) != 0 ||
        BuildNumber(kept.build_version) <= BuildNumber(target.build_version))
        return false;
    LOX_LOG(NOTE, "service_debug", "cloud-service",
            "keeping the installation put back in '%s' (build %s): the package's build %s is older",
            app.c_str(), kept.build_version.c_str(), target.build_version.c_str());
    return true;
}

}  // namespace

PackageExtractor *Service::LoadExtractor() {
    // Loaded the first time a run unpacks; it stays for the rest of the process.
    if (!extractor_loaded) {
        const ustring module = RegistryPath("root_resource_path") + "/lib/" LOXEN_EXTRACTOR_MODULE;
        const auto entry = reinterpret_cast<LoxenExtractorEntry>(
            LoadModuleEntry(module.c_str(), LOXEN_EXTRACTOR_ENTRY));
        extractor = entry != nullptr ? entry() : nullptr;
        extractor_loaded = true;
    }
    return extractor;
}

RunProblem Service::StepFailed(int error_number) const {
    return InstallProblem(error_number, ExistingFolderOf(FSParentPath(app_path)).c_str());
}

RunProblem Service::ExtractPackage() {
    ustring package = PackageFilePath();
    ustring target = RegistryPath("user_brenthor_loxen_app_path");
    if (FSMKDir(target, true) != 0) {
        const int error = SavedErrno();
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to create folder: '%s'",
                target.c_str());
        return StepFailed(error);
    }
    LOX_LOG(INFO, "service_debug", "cloud-service", "extract package: '%s' -> '%s'",
            package.c_str(), target.c_str());
    if (LoadExtractor() == nullptr)
        return ProblemOf(ClientProblem::IncompleteInstallation);
    const PackageFd own(package_fd < 0 ? package : ustring());
    const int fd = package_fd >= 0 ? package_fd : own.get();
    if (fd < 0) {
        const int error = own.error();
        LOX_LOG(ERROR, "service_debug", "cloud-service", "cannot open package '%s': %s",
                package.c_str(), std::strerror(error));
        return ProblemOf(ClientProblem::IncompleteInstallation, error);
    }
    PackageExtractor::Totals totals;
    const auto start = std::chrono::steady_clock::now();
    const int ret = extractor->Extract(fd, target.c_str(), package_entries, package_budget, totals);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    LOX_LOG(INFO, "service_debug", "cloud-service",
            "extraction %s: %d entries, %lld bytes in %.2f s", ret == 0 ? "complete" : "failed",
            totals.entries, totals.bytes, took.count());
    if (ret == 0)
        return RunProblem();
    if (totals.check.verdict != PackageExtractor::CheckResult::Fits)
        return CheckProblem(totals.check, package, "removing the new copy", free_space);
    // The package passed its check, so a system error is the disk's. libarchive's own codes are
    // negative: no system error behind them, the fault is in what it read.
    if (totals.error_number > 0)
        return StepFailed(totals.error_number);
    return ProblemOf(ClientProblem::DamagedPackage);
}

RunProblem Service::PrepareUserEnv() {
    RunProblem problem;
    const int recovered = RecoverInterruptedReplacement(problem);
    if (recovered != 0)
        return problem;
    return ReplaceAppDir();
}

RunProblem Service::ReplaceAppDir() {
    ustring app = app_path;
    if (app.empty()) {
        LOX_LOG(ERROR, "service_debug", "cloud-service", "no application directory to prepare");
        return StepFailed(EINVAL);
    }
    // A record must never describe another copy than the one in place.
    if (RemoveInstalledRecord(app) != 0)
        return StepFailed(errno);
    ReplaceJournal journal(app);
    ustring backup;
    int n = 0;
    const int error = IsFileExist(app, false) ? BackupApp(app, journal, backup, n)
                                              : PrepareFirstInstall(app, journal);
    if (error != 0)
        return StepFailed(error);
    const RunProblem extracted = ExtractPackage();
    if (extracted.failed())
        return RollBack(app, journal, backup, false, extracted);
    const int flush_error = FlushFileSystem(app);
    if (flush_error != 0)
        return RollBack(app, journal, backup, true, StepFailed(flush_error));
    NotifyReplaceStep("extracted");
    const int record_error = RecordComplete(app, journal, n);
    if (record_error != 0)
        return StepFailed(record_error);
    RecordInstalledCopy();
    return RunProblem();
}

void Service::FinishReplacement() {
    ReplaceJournal journal(app_path);
    int n = -1;
    if (app_path.empty() || !journal.Exists() || journal.Read(n) != ReplaceJournal::STEP_CLEANUP)
        return;
    LOX_LOG(INFO, "service_debug", "cloud-service",
            "user installation is ready, removing backup app");
    RemoveBackupNames(app_path);
    journal.Remove();
}

int Service::RecoverInterruptedReplacement(RunProblem &problem) {
    ReplaceJournal journal(app_path);
    if (app_path.empty() || !journal.Exists())
        return 0;
    if (IsReplacementRecordUnreadable()) {
        ReportUnreadableRecord();
        problem = ProblemOf(ClientProblem::UnfinishedReplacement);
        return -1;
    }
    const int error = FinishInterruptedReplacement(app_path, journal);
    if (error != 0) {
        problem = error < 0 ? ProblemOf(ClientProblem::UnfinishedReplacement) : StepFailed(error);
        return -1;
    }
    return IsNewerThanPackage(app_path, target_version) ? 1 : 0;
}

bool Service::IsReplacementPending() const {
    int n = -1;
    ReplaceJournal journal(app_path);
    if (!journal.Exists())
        return false;
    const ReplaceJournal::Step step = journal.Read(n);
    return step == ReplaceJournal::STEP_BACKUP || step == ReplaceJournal::STEP_EXTRACT;
}

bool Service::IsReplacementRecordUnreadable() const {
    int n = -1;
    ReplaceJournal journal(app_path);
    return journal.Exists() && journal.Read(n) == ReplaceJournal::STEP_UNKNOWN;
}

void Service::ReportUnreadableRecord() const {
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "replacement record '%s' cannot be read: nothing is replaced and no backup is "
            "removed; look at the folder '%s', keep the copy that is whole as '%s' and remove "
            "the record",
            ReplaceJournal::MarkerPath(app_path).c_str(), FSParentPath(app_path).c_str(),
            FSBaseName(app_path).c_str());
}

void Service::TidyReplacementRecord() {
    if (app_path.empty())
        return;
    ReplaceJournal(app_path).RemoveStrayTemporary();
    RemoveStrayInstalledRecord(app_path);
}
