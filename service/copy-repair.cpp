// Telling a damaged per-user copy: by the record of what was installed, or once by the
// package's listing when there is no record yet.
#include <sys/stat.h>

#include <cerrno>

#include "common/log.h"
#include "service/cloud-service.h"
#include "service/copy-check-ahead.h"
#include "service/copy-compare.h"
#include "service/installed-record.h"
#include "service/package-fd.h"
#include "service/package-listing.h"
#include "service/registry-path.h"
#include "service/replace-journal.h"
#include "service/version-file.h"

namespace {

// The extraction's writer reads the mask the same way; nothing else here changes it.
mode_t CreationMask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

bool Service::MayRepairCopy() const {
    // A newer copy than the package must not be replaced by it, and a replacement under way
    // has its own journal to finish.
    return !source_version.build_version.empty() && !target_version.build_version.empty() &&
           BuildNumber(source_version.build_version) == BuildNumber(target_version.build_version) &&
           !ReplaceJournal(app_path).Exists();
}

bool Service::FindCopyDamage() {
    if (!MayRepairCopy())
        return false;
    CopyCheck check = TakeCopyCheck(app_path);
    if (!check.recorded) {
        InstalledList listing;
        if (ListPackage(listing) != 0)
            return false;
        check.entries = static_cast<long long>(listing.size());
        check.difference = CompareCopy(app_path, listing);
        if (check.difference.count == 0) {
            LOX_LOG(INFO, "service_debug", "cloud-service",
                    "per-user copy '%s' matches the package: recording it", app_path.c_str());
            WriteInstalledRecord(app_path, listing);
        }
    }
    const CopyDifference &difference = check.difference;
    if (difference.count == 0)
        return false;
    LOX_LOG(INFO, "service_debug", "cloud-service",
            "per-user copy '%s' is damaged: %lld of %lld %s entries differ, the first '%s': %s",
            app_path.c_str(), difference.count, check.entries,
            check.recorded ? "installed" : "packaged", difference.first.c_str(),
            difference.what.c_str());
    copy_damaged = true;
    return true;
}

int Service::ListPackage(InstalledList &entries) {
    PackageExtractor *extractor = LoadExtractor();
    const ustring package = PackageFilePath();
    const PackageFd fd(extractor != nullptr ? package : ustring());
    if (extractor == nullptr || fd.get() < 0)
        return -1;  // the replacement would fail the same way: the copy in place serves
    PackageListing listing(CreationMask());
    PackageExtractor::CheckResult result;
    const auto add = [&listing](const PackageExtractor::ListedEntry &entry) { listing.Add(entry); };
    if (extractor->CheckListing(fd.get(), app_path.c_str(), kPackageStallMs, add, result) != 0) {
        LOX_LOG(NOTE, "service_debug", "cloud-service",
                "per-user copy '%s' not held to package '%s', which is refused: %s",
                app_path.c_str(), package.c_str(), result.reason);
        return -1;
    }
    if (!listing.Complete()) {
        LOX_LOG(NOTE, "service_debug", "cloud-service",
                "per-user copy '%s' not held to package '%s': its listing passes %lld bytes",
                app_path.c_str(), package.c_str(), kMaxInstalledRecordBytes);
        return -1;
    }
    entries = listing.Entries();
    return 0;
}

void Service::NoteUnrunnableStartScript(int start_error, bool noexec) {
    if (noexec || (start_error != ENOENT && start_error != EACCES) || !MayRepairCopy())
        return;
    LOX_LOG(INFO, "service_debug", "cloud-service",
            "per-user copy '%s' is damaged: its start script cannot be run", app_path.c_str());
    copy_damaged = true;
}

void Service::RecordInstalledCopy() {
    InstalledList entries;
    if (ListCopy(app_path, entries) == 0)
        WriteInstalledRecord(app_path, entries);
}
