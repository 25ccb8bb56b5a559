#include "service/space-check.h"

#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include "common/file-op.h"
#include "common/log.h"
#include "extractor/package-extractor.h"

namespace {

// Above the block-rounded sizes: directory blocks and extent trees take about 1 % on ext4, and
// the running client and the rest of the session keep writing while the copy is unpacked.
constexpr long long kShareMargin = 50;  // 2 %
constexpr long long kFixedMargin = 1 << 20;

}  // namespace

ustring ExistingFolderOf(const ustring &path) {
    ustring folder = path;
    while (!folder.empty() && folder != "/" && !IsFileExist(folder, true))
        folder = FSParentPath(folder);
    return folder.empty() ? ustring("/") : folder;
}

int CheckSpaceForCopy(PackageExtractor &extractor, const ustring &package, const ustring &user_root,
                      ProblemDetail &detail) {
    detail.folder = ExistingFolderOf(user_root).c_str();
    struct statvfs fs;
    if (::statvfs(detail.folder.c_str(), &fs) != 0) {
        LOX_LOG(WARNING, "service_debug", "cloud-service",
                "cannot tell the free space of '%s': %s; unpacking without checking",
                detail.folder.c_str(), std::strerror(errno));
        return 0;
    }
    const long long block = static_cast<long long>(fs.f_frsize ? fs.f_frsize : fs.f_bsize);
    const long long unpacked = extractor.UnpackedBytes(package.c_str(), block);
    if (unpacked < 0)
        return 0;  // a package that cannot be read fails the extraction with its own reason
    detail.needed = unpacked + unpacked / kShareMargin + kFixedMargin;
    detail.available = static_cast<long long>(fs.f_bavail) * block;
    if (detail.needed <= detail.available) {
        LOX_LOG(DEBUG, "service_debug", "cloud-service",
                "new copy needs %lld bytes in '%s': it fits", detail.needed, detail.folder.c_str());
        return 0;
    }
    LOX_LOG(ERROR, "service_debug", "cloud-service",
            "not enough space for the new copy in '%s': %lld bytes needed, %lld free; leaving "
            "the client and its copy as they are",
            detail.folder.c_str(), detail.needed, detail.available);
    return -1;
}
