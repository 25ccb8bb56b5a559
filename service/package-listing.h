#pragma once

#include <sys/types.h>

#include "extractor/package-extractor.h"
#include "service/installed-record.h"

// Gathers what the check lists into what the extraction will leave in the copy: a later entry
// of the same path wins, a hard link is the file it shares, and the run bits lose what the
// file-creation mask takes (the extraction applies it). Stops gathering once the record would
// pass its size limit.
class PackageListing {
public:
    explicit PackageListing(mode_t creation_mask);

    void Add(const PackageExtractor::ListedEntry &listed);
    // False when the listing grew past the limit and was dropped.
    bool Complete() const { return !overflow_; }
    const InstalledList &Entries() const { return entries_; }

private:
    mode_t mask_;
    long long bytes_ = 0;
    bool overflow_ = false;
    InstalledList entries_;
};
