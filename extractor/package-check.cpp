#include "extractor/package-check.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "extractor/check-sums.h"
#include "extractor/entry-rules.h"
#include "extractor/package-stream.h"
#include "extractor/zip-directory.h"

namespace {

using Budget = PackageExtractor::Budget;
using CheckResult = PackageExtractor::CheckResult;

struct ReaderFree {
    void operator()(archive *reader) const { archive_read_free(reader); }
};

// Reads the data of the current entry to its end; false after a failure.
bool ReadData(archive *reader, const std::function<void()> &beat) {
    const void *block;
    size_t size;
    la_int64_t offset;
    int status;
    while ((status = archive_read_data_block(reader, &block, &size, &offset)) == ARCHIVE_OK) beat();
    return status == ARCHIVE_EOF;
}

// An entry whose size is known to be 0 has no data to read (as in the extraction).
bool HasData(archive_entry *entry) {
    return !archive_entry_size_is_set(entry) || archive_entry_size(entry) > 0;
}

// The entry as the extraction will make it; the rules have passed its paths.
void List(archive_entry *entry, const PackageExtractor::EntrySink &listed) {
    using Listed = PackageExtractor::ListedEntry;
    std::string path, link;
    NormalizeEntryPath(archive_entry_pathname(entry), path);
    Listed listing;
    listing.size = archive_entry_size(entry);
    listing.mode = archive_entry_perm(entry);
    const char *hard_link = archive_entry_hardlink(entry);
    const auto type = archive_entry_filetype(entry);
    if (hard_link) {
        listing.type = Listed::HardLink;
        NormalizeEntryPath(hard_link, link);
    } else if (type == AE_IFLNK) {
        listing.type = Listed::Symlink;
        const char *target = archive_entry_symlink(entry);
        link = target ? target : "";
    } else {
        listing.type = type == AE_IFDIR ? Listed::Dir : Listed::File;
    }
    listing.path = path.c_str();
    listing.link = link.c_str();
    listed(listing);
}

void CheckEntries(archive *reader, PackageStream &stream, int fd, const Budget &budget,
                  const std::function<void()> &beat, const PackageExtractor::EntrySink &listed,
                  CheckResult &result) {
    EntryRules rules;
    std::string last = "the first entry";
    for (;;) {
        archive_entry *entry = nullptr;
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status != ARCHIVE_OK)
            return Refuse(result, CheckResult::Damaged,
                          "header after " + last + ": " + stream.ReadError(reader));
        beat();
        const std::string refusal = rules.Refusal(entry);
        if (!refusal.empty())
            return Refuse(result, CheckResult::Damaged, EntryName(entry) + refusal);
        if (!AddToSums(entry, budget, result))
            return;
        if (listed)
            List(entry, listed);
        if (HasData(entry) && !ReadData(reader, beat))
            return Refuse(result, CheckResult::Damaged,
                          EntryName(entry) + stream.ReadError(reader));
        last = "'" + std::string(archive_entry_pathname(entry)) + "'";
    }
    if (result.entries == 0)
        return Refuse(result, CheckResult::Damaged, "no entries");
    if (stream.Drain() != 0)
        return Refuse(result, CheckResult::Damaged, stream.Error());
    if ((archive_format(reader) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP &&
        stream.Plain()) {
        const std::string difference = ZipDirectoryFault(fd);
        if (!difference.empty())
            Refuse(result, CheckResult::Damaged, difference);
    }
}

}  // namespace

std::string DescriptorPath(int fd) {
    char own[64], path[PATH_MAX];
    std::snprintf(own, sizeof own, "/proc/self/fd/%d", fd);
    const ssize_t size = ::readlink(own, path, sizeof path - 1);
    return size > 0 && path[0] == '/' ? std::string(path, static_cast<size_t>(size))
                                      : std::string();
}

bool PackageLiesBelow(int fd, const char *folder) {
    struct stat root;
    std::string above = DescriptorPath(fd);
    if (above.empty() || ::stat(folder, &root) != 0)
        return false;
    for (size_t slash; (slash = above.rfind('/')) != std::string::npos;) {
        above.resize(slash);
        struct stat st;
        if (::stat(above.empty() ? "/" : above.c_str(), &st) == 0 && st.st_dev == root.st_dev &&
            st.st_ino == root.st_ino)
            return true;
    }
    return false;
}

void CheckPackage(int fd, const char *target, const Budget &budget,
                  const std::function<void()> &beat, const PackageExtractor::EntrySink &listed,
                  CheckResult &result) {
    result = CheckResult();
    if (PackageLiesBelow(fd, target))
        return Refuse(result, CheckResult::Damaged, "the package lies inside the target");
    std::unique_ptr<archive, ReaderFree> reader(archive_read_new());
    if (!reader)
        return Refuse(result, CheckResult::Damaged, "no memory for a reader");
    PackageStream stream(fd);
    if (stream.Open(reader.get()) != 0)
        return Refuse(result, CheckResult::Damaged, stream.ReadError(reader.get()));
    CheckEntries(reader.get(), stream, fd, budget, beat, listed, result);
}
