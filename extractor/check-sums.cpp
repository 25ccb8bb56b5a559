#include "extractor/check-sums.h"

#include <archive_entry.h>

#include <climits>
#include <cstdio>

namespace {

using CheckResult = PackageExtractor::CheckResult;

long long SaturatedAdd(long long sum, long long add) {
    long long total;
    return __builtin_add_overflow(sum, add, &total) ? LLONG_MAX : total;
}

// What the entry takes on disk: whole blocks, one for an entry without data.
long long BlocksOf(archive_entry *entry, long long block_size) {
    const long long size = archive_entry_size(entry);
    const long long blocks = size > 0 ? size / block_size + (size % block_size != 0) : 1;
    return blocks > LLONG_MAX / block_size ? LLONG_MAX : blocks * block_size;
}

}  // namespace

void Refuse(CheckResult &result, CheckResult::Verdict verdict, const std::string &why) {
    result.verdict = verdict;
    std::snprintf(result.reason, sizeof result.reason, "%s", why.c_str());
}

std::string EntryName(archive_entry *entry) {
    const char *path = archive_entry_pathname(entry);
    return std::string("entry '") + (path ? path : "") + "': ";
}

bool AddToSums(archive_entry *entry, const PackageExtractor::Budget &budget, CheckResult &result) {
    result.entries = SaturatedAdd(result.entries, 1);
    result.bytes = SaturatedAdd(result.bytes, BlocksOf(entry, budget.block_size));
    if (!archive_entry_hardlink(entry))
        result.inodes = SaturatedAdd(result.inodes, 1);
    if (result.bytes > budget.bytes)
        Refuse(result, CheckResult::NoSpace, EntryName(entry) + "beyond the free space");
    else if (result.inodes > budget.inodes)
        Refuse(result, CheckResult::NoInodes, EntryName(entry) + "beyond the free inodes");
    return result.verdict == CheckResult::Fits;
}
