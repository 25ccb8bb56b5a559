// Replacing the per-user application directory: backup, extraction, rollback, clean-up.
// A journal beside the directory lets the next run finish a replacement that was cut short.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "common/file-op.h"
#include "common/log.h"
#include "extractor/extractor.h"
#include "service/app-backup.h"
#include "service/cloud-service.h"
#include "service/registry-path.h"
#include "service/replace-journal.h"

namespace {

// A power cut after the backups are gone must not find the new files still in the cache.
int FlushFileSystem(const ustring &dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int ret = fd < 0 ? -1 : ::syncfs(fd);
    int saved = errno;
    if (fd >= 0)
        ::close(fd);
    if (ret != 0)
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to flush '%s' to disk: %s",
                dir.c_str(), std::strerror(saved));
    return ret;
}

// Puts the old installation back under the application name, over whatever is there.
int RestoreBackup(const ustring &app, const ustring &backup) {
    if (FSRemove(app, false) == 0 && FSRename(backup, app, false) == 0)
        return 0;
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "failed to restore old installation '%s' -> '%s': %s", backup.c_str(), app.c_str(),
            std::strerror(errno));
    return -1;
}

// A partial tree could pass for an installation, so nothing of it may stay.
int RemoveIncomplete(const ustring &app) {
    if (FSRemove(app, false) == 0)
        return 0;
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "failed to remove incomplete installation '%s': %s", app.c_str(), std::strerror(errno));
    return -1;
}

void RemoveBackupNames(const ustring &app, int n) {
    for (int m = 0; m <= n; ++m) {
        FSRemove(GetAppBackupDir(app, m), false);
        NotifyReplaceStep("backup-removed");
    }
}

// Leaves a complete installation (or none) under the application name after a run that
// died in the middle of a replacement, and drops the journal.
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
            RemoveBackupNames(app, n);
            break;
        case ReplaceJournal::STEP_UNKNOWN:
            LOX_LOG(WARNING, "service_debug", "cloud-service",
                    "unreadable replacement record beside '%s', keeping the directory as it is",
                    app.c_str());
            break;
    }
    return ret == 0 ? journal.Remove() : -1;
}

// Moves the application directory to the first free backup name; n is that name's number.
int BackupApp(const ustring &app, ReplaceJournal &journal, ustring &backup, int &n) {
    for (n = 0;;) {
        backup = GetAppBackupDir(app, n);
        if (journal.Record(ReplaceJournal::STEP_BACKUP, n) != 0) {
            journal.Remove();
            return -1;
        }
        if (FSRename(app, backup, false) == 0)
            break;
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to backup app from '%s' -> '%s'",
                app.c_str(), backup.c_str());
        if (++n == kAppBackupNames) {
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "failed to backup app from '%s' -> '%s' at max retries, exiting", app.c_str(),
                    backup.c_str());
            journal.Remove();
            return -1;
        }
    }
    NotifyReplaceStep("backup-renamed");
    if (journal.Record(ReplaceJournal::STEP_EXTRACT, n) == 0)
        return 0;
    if (RestoreBackup(app, backup) == 0)
        journal.Remove();
    return -1;
}

int RollBack(const ustring &app, ReplaceJournal &journal, const ustring &backup) {
    int ret;
    if (backup.empty()) {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "Failed to extract package, and no old installation to rollback");
        ret = RemoveIncomplete(app);
    } else {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "Failed to extract package, rollback to old installation");
        ret = RestoreBackup(app, backup);
    }
    // Otherwise the journal stays and the next run finishes the rollback.
    if (ret == 0)
        journal.Remove();
    return -1;
}

int RemoveBackups(const ustring &app, ReplaceJournal &journal, int n) {
    if (journal.Record(ReplaceJournal::STEP_CLEANUP, n) != 0) {
        // Unrecorded removals could leave a half-removed backup that looks restorable.
        LOX_LOG(WARNING, "service_debug", "cloud-service", "keeping the backups of '%s'",
                app.c_str());
        return journal.Remove();
    }
    NotifyReplaceStep("cleanup-recorded");
    LOX_LOG(INFO, "service_debug", "cloud-service",
            "user installation is ready, removing backup app");
    RemoveBackupNames(app, n);
    return journal.Remove();
}

}  // namespace

int Service::ExtractPackage() {
    ustring package = RegistryPath("root_resource_path") + "/package/nimbrel.qar";
    ustring target = RegistryPath("user_brenthor_loxen_app_path");
    if (FSMKDir(target, true) != 0) {
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to create folder: '%s'",
                target.c_str());
        return -1;
    }
    LOX_LOG(INFO, "service_debug", "cloud-service", "extract package: '%s' -> '%s'",
            package.c_str(), target.c_str());
    Extractor extractor;
    extractor.SetSource(package);
    extractor.SetTarget(target);
    const auto start = std::chrono::steady_clock::now();
    const int ret = extractor.Extract();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const Extractor::Totals &totals = extractor.GetTotals();
    LOX_LOG(INFO, "service_debug", "cloud-service",
            "extraction %s: %d entries, %lld bytes in %.2f s", ret == 0 ? "complete" : "failed",
            totals.entries, totals.bytes, took.count());
    if (ret != 0)  // libarchive's own codes are negative: no system error behind them
        extract_error = totals.error_number > 0 ? totals.error_number : 0;
    return ret;
}

int Service::PrepareUserEnv() {
    ustring app = app_path;
    if (app.empty()) {
        LOX_LOG(ERROR, "service_debug", "cloud-service", "no application directory to prepare");
        return -1;
    }
    ReplaceJournal journal(app);
    if (FinishInterruptedReplacement(app, journal) != 0)
        return -1;

    ustring backup;
    int n = 0;
    if (IsFileExist(app, false)) {
        if (BackupApp(app, journal, backup, n) != 0)
            return -1;
    } else if (FSMKDir(FSParentPath(app), true) != 0 ||
               journal.Record(ReplaceJournal::STEP_EXTRACT, -1) != 0) {
        // The journal lives beside the application directory, so its parent comes first.
        return -1;
    }
    if (ExtractPackage() != 0 || FlushFileSystem(app) != 0)
        return RollBack(app, journal, backup);
    NotifyReplaceStep("extracted");
    return RemoveBackups(app, journal, n);
}

bool Service::IsReplacementPending() const {
    return ReplaceJournal(app_path).Exists();
}
