#pragma once

#include <QString>

#include "common/ustring.h"
#include "extractor/package-extractor.h"
#include "service/client-problem.h"
#include "service/installed-record.h"
#include "service/space-check.h"

// The upgrade service: decides whether the per-user installation must be replaced and
// replaces it. The worker holds one implementation and calls it on its own thread.
class PackageExtractor;

class Service {
public:
    // Version of an installation as its INFO file gives it; every field is text.
    struct VersionInfo {
        ustring major_version;
        ustring minor_version;
        ustring build_version;
        ustring icon_overlay_version;
    };

    Service();
    virtual ~Service();

    // Stops a running per-user client so that its files can be replaced. Best effort.
    virtual void StopService() = 0;
    virtual void SetTimeout(int timeout);
    // Why the per-user installation is not ready, None when it is; called only after
    // IsNeedUpgrade said true.
    virtual RunProblem HandlePackageUpgrade() = 0;
    // End of every run: starts the per-user client. Why none was started, None when one was.
    virtual RunProblem PostUpgrade() = 0;
    // Start of every run: loads both version records.
    virtual void PreUpgrade() = 0;
    virtual bool IsNeedUpgrade() = 0;
    // Unpacks the packaged client into the application directory; why it failed, or None.
    virtual RunProblem ExtractPackage();
    virtual void LoadSourceVersion();
    virtual void LoadTargetVersion();
    // Finishes an interrupted replacement, then backs up the application directory, extracts,
    // rolls back on failure; why it failed, or None. On success the new copy is recorded as
    // complete and the backups wait for FinishReplacement.
    virtual RunProblem PrepareUserEnv();
    // Removes the backups of a replacement whose new copy is complete, once the client has
    // started from it; a run killed meanwhile leaves this to the next run.
    virtual void FinishReplacement();
    // Moves the legacy data folder into the current per-user root.
    virtual void MigrateService();
    // The run found the per-user copy damaged (it lost what was installed, or its start script
    // cannot be run): it is replaced with the package's own.
    bool IsCopyDamaged() const { return copy_damaged; }

    // The user's home directory, base of every per-user path.
    static QString GetUserInstallPath();
    // Recursive copy; 0 or -1.
    int FSCopyPath(const ustring &src, const ustring &dst);
    // Removes the legacy client's application folder.
    void RemoveAgedFolders();

    Service(const Service &) = delete;
    Service &operator=(const Service &) = delete;

protected:
    // True while a replacement of the application directory has not finished (the launcher
    // died in the middle of one): the installation in place cannot be trusted.
    bool IsReplacementPending() const;
    // A replacement record that cannot be read: it is left for the user, with every backup.
    bool IsReplacementRecordUnreadable() const;
    // Says in the log which record, and what the user can do about it.
    void ReportUnreadableRecord() const;
    // Removes a half-written record that no record stands beside, and a half-written record of
    // what was installed.
    void TidyReplacementRecord();
    // Finishes a replacement that an earlier run left half done, so that the installation in
    // place is whole (or absent, after a first install). 1 when the copy put back is newer than
    // the package and stays, -1 when it could not be finished (problem says why), else 0: the
    // replacement goes on.
    int RecoverInterruptedReplacement(RunProblem &problem);
    // PrepareUserEnv after the recovery.
    RunProblem ReplaceAppDir();
    // The extractor module of the installed tree, loaded once per service (a run has one);
    // nullptr when it or a library it needs cannot be loaded.
    PackageExtractor *LoadExtractor();
    // The problem of a step that failed with error_number; a folder that refused the new files
    // is named.
    RunProblem StepFailed(int error_number) const;
    // Builds equal and no replacement under way: the copy may be held to what was installed
    // and replaced when damaged (never by an older package).
    bool MayRepairCopy() const;
    // Holds the copy to the record of what was installed (without one, once to the package's
    // listing, which then becomes the record). True, the first difference logged, when
    // something is damaged.
    bool FindCopyDamage();
    // The package's entries as the extraction would leave them; 0, or -1 (logged) when the
    // package is refused or its listing too large.
    int ListPackage(InstalledList &entries);
    // A start script missing or without its run bit (not a noexec mount) makes the copy
    // damaged, when it may be repaired.
    void NoteUnrunnableStartScript(int start_error, bool noexec);
    // The record of the copy just put in place, taken from the copy itself before the client
    // writes anything; a failure costs only the record.
    void RecordInstalledCopy();

    int timeout;
    ustring app_path;
    VersionInfo target_version;
    VersionInfo source_version;
    // The package opened once for the whole update: the check and the extraction read the same
    // file. -1 outside an update; the extraction then opens the package itself.
    int package_fd = -1;
    // Entries the check before the extraction counted; 0 when none ran: the extraction then
    // checks the package beside.
    int package_entries = 0;
    PackageExtractor::Budget package_budget;
    FreeSpace free_space;  // measured with the budget
    PackageExtractor *extractor = nullptr;
    bool extractor_loaded = false;  // tried once, whatever came of it
    bool copy_damaged = false;
};
