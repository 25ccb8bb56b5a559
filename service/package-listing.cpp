#include "service/package-listing.h"

PackageListing::PackageListing(mode_t creation_mask) : mask_(creation_mask) {}

void PackageListing::Add(const PackageExtractor::ListedEntry &listed) {
    using Listed = PackageExtractor::ListedEntry;
    if (overflow_ || listed.path[0] == '\0')
        return;  // the target folder itself
    InstalledEntry entry;
    switch (listed.type) {
        case Listed::HardLink: {
            const auto shared = entries_.find(listed.link);
            if (shared == entries_.end())
                return;  // the check lets a hard link name only an earlier file
            entry = shared->second;
            break;
        }
        case Listed::Symlink:
            entry.type = InstalledEntry::Link;
            entry.target = listed.link;
            break;
        case Listed::Dir:
        case Listed::File:
            entry.type = listed.type == Listed::Dir ? InstalledEntry::Dir : InstalledEntry::File;
            entry.size = listed.type == Listed::File ? listed.size : 0;
            entry.run_bits = listed.mode & ~mask_ & 0111;
            break;
    }
    bytes_ += InstalledEntryBytes(listed.path, entry);
    if (bytes_ > kMaxInstalledRecordBytes) {
        overflow_ = true;
        entries_.clear();
        return;
    }
    entries_[listed.path] = entry;
}
