#include "service/space-check.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "common/file-op.h"
#include "common/log.h"

namespace {

// Above the block-rounded sizes: directory blocks and extent trees take about 1 % on ext4, and
// the running client and the rest of the session keep writing while the copy is unpacked.
constexpr long long kShareMargin = 50;  // 2 %
constexpr long long kFixedMargin = 1 << 20;

long long WithMargins(long long bytes) {
    return bytes > LLONG_MAX / 2 ? LLONG_MAX : bytes + bytes / kShareMargin + kFixedMargin;
}

}  // namespace

ustring ExistingFolderOf(const ustring &path) {
    ustring folder = path;
    while (!folder.empty() && folder != "/" && !IsFileExist(folder, true))
        folder = FSParentPath(folder);
    return folder.empty() ? ustring("/") : folder;
}

PackageExtractor::Budget SpaceBudget(const ustring &user_root, FreeSpace &free) {
    PackageExtractor::Budget budget;
    free.folder = ExistingFolderOf(user_root).c_str();
    struct statvfs fs;
    if (::statvfs(free.folder.c_str(), &fs) != 0) {
        LOX_LOG(WARNING, "service_debug", "cloud-service",
                "cannot tell the free space of '%s': %s; unpacking without checking",
                free.folder.c_str(), std::strerror(errno));
        return budget;
    }
    budget.block_size = static_cast<long long>(fs.f_frsize ? fs.f_frsize : fs.f_bsize);
    free.available = static_cast<long long>(fs.f_bavail) * budget.block_size;
    // The most the block-rounded sizes may reach with the margins on top.
    const long long room = free.available - kFixedMargin;
    budget.bytes = room <= 0 ? 0 : room / (kShareMargin + 1) * kShareMargin;
    if (fs.f_files != 0)  // file systems without a fixed number of inodes report none
        budget.inodes = static_cast<long long>(fs.f_favail);
    return budget;
}

RunProblem CheckProblem(const PackageExtractor::CheckResult &result, const ustring &package,
                        const char *consequence, const FreeSpace &free) {
    using CheckResult = PackageExtractor::CheckResult;
    RunProblem problem = ProblemOf(ClientProblem::NoDiskSpace);
    switch (result.verdict) {
        case CheckResult::NoSpace:
            problem.folder = free.folder;
            problem.needed = WithMargins(result.bytes);
            problem.available = free.available;
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "not enough space for the new copy in '%s': %lld bytes needed, %lld free; %s",
                    free.folder.c_str(), problem.needed, problem.available, consequence);
            return problem;
        case CheckResult::NoInodes:  // the figures are about bytes: none are given
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "not enough free inodes for the new copy in '%s': at least %lld needed; %s",
                    free.folder.c_str(), result.inodes, consequence);
            return problem;
        case CheckResult::Damaged:
        case CheckResult::Stalled:
        case CheckResult::Fits:
            break;
    }
    LOX_LOG(ERROR, "service_debug", "cloud-service", "package '%s' is damaged: %s; %s",
            package.c_str(), result.reason, consequence);
    return ProblemOf(ClientProblem::DamagedPackage);
}
