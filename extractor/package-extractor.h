#pragma once

#include <climits>
#include <functional>

// The extractor as a module of its own in the installed tree's lib/, linked to libarchive: only
// a run that unpacks loads it, the others do without libarchive and the libraries it brings.
// The module calls the program's log and progress relay, which the program exports.
#define LOXEN_EXTRACTOR_MODULE "loxen-extractor.so"
#define LOXEN_EXTRACTOR_ENTRY "loxen_package_extractor"

// How long a check may read no new header or data before the package is refused.
constexpr int kPackageStallMs = 30000;

// What a caller can ask of the package through the module. Operations are added as further
// calls here; the module and the program are built together, so no older module meets a newer
// program.
class PackageExtractor {
public:
    // What the new copy may take: block-rounded bytes and inodes. Unlimited by default.
    struct Budget {
        long long block_size = 4096;
        long long bytes = LLONG_MAX;
        long long inodes = LLONG_MAX;
    };

    // What a check of the package found. The sums stop where the budget was passed.
    struct CheckResult {
        enum Verdict { Fits, Damaged, NoSpace, NoInodes, Stalled };
        Verdict verdict = Fits;
        long long entries = 0;
        long long bytes = 0;  // block-rounded
        long long inodes = 0;
        char reason[512] = "";  // the entry or the offset, and what is wrong there
    };

    // What the last Extract wrote, and the system error number of its failure (0 if unknown);
    // check holds the verdict against the package: damaged, or beyond the budget.
    struct Totals {
        int entries = 0;
        long long bytes = 0;
        int error_number = 0;
        CheckResult check;
    };

    // One entry of the package as the check read it. The path and the link are normalized
    // (no "." or empty parts); a hard link names, in link, the earlier entry whose file it
    // shares, and its own type, size and mode say nothing.
    struct ListedEntry {
        enum Type : char { File = 'f', Dir = 'd', Symlink = 'l', HardLink = 'h' };
        Type type = File;
        long long size = 0;
        unsigned mode = 0;  // permission bits
        const char *path = "";
        const char *link = "";
    };
    // Called in the calling process, in the package's order; what it keeps is its own affair.
    using EntrySink = std::function<void(const ListedEntry &)>;

    // Reads the whole package on fd once, as extracting it into target would, and writes
    // nothing (see CheckPackage). Runs in a child process that is ended after stall_ms without
    // a new header or data block. 0 when the package fits, -1 otherwise; logs nothing.
    virtual int Check(int fd, const char *target, const Budget &budget, int stall_ms,
                      CheckResult &result) = 0;
    // Check, with no budget, also handing every entry that passed the rules to listed.
    virtual int CheckListing(int fd, const char *target, int stall_ms, const EntrySink &listed,
                             CheckResult &result) = 0;
    // Unpacks the package on fd below target (made when missing) with per-entry progress.
    // known_entries is the count of a check that passed. The extraction verifies what the check
    // does as it reads, within budget, so a first install needs no check before it. 0, or -1
    // after a failure (logged), with totals saying how far it came.
    virtual int Extract(int fd, const char *target, int known_entries, const Budget &budget,
                        Totals &totals) = 0;

protected:
    ~PackageExtractor() = default;  // the module owns its one object
};

// The module's one entry point: its object, which lives as long as the process.
extern "C" PackageExtractor *loxen_package_extractor();
using LoxenExtractorEntry = decltype(&loxen_package_extractor);
