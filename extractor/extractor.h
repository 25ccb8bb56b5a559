#pragma once

#include "common/ustring.h"
#include "extractor/package-extractor.h"

struct archive;
class EntryCount;
class ReadWatch;

// Unpacks a package archive into a target directory and reports per-entry progress through
// Notify_Adapter. Every operation opens and frees its own libarchive handles, and reads the
// package with an offset of its own.
class Extractor {
public:
    using Totals = PackageExtractor::Totals;

    Extractor();
    ~Extractor();

    void SetTarget(const ustring &path);
    // The package by path, opened by Extract and Check themselves.
    void SetSource(const ustring &path);
    // The package as an open descriptor (not closed here); it takes the place of the path.
    void SetPackage(int fd);
    // The count of a check that passed; without one, the bar shows the share of the package read.
    void SetKnownEntries(int entries);
    void SetBudget(const PackageExtractor::Budget &limits);
    // How long a check, or the reading of a first install, may go without a new header or
    // data block.
    void SetStallLimit(int ms);
    // Check hands every entry that passed the rules to listed.
    void SetEntrySink(const PackageExtractor::EntrySink &listed);

    // 0 when every entry was written below the target, -1 otherwise. This thread reads,
    // inflates, checks and sends the progress, a second one writes the entries. Without a known
    // count (no check before) the reading runs on a thread of its own instead, given up after
    // the stall limit without a new header or data block. Should the writer fail without a
    // check before, the package is checked then, to tell who failed.
    int Extract();
    // Checks the package in a child process (see CheckPackage); 0 when it fits, else -1.
    int Check(PackageExtractor::CheckResult &result);
    // Prints every entry's path to standard output; 0, or -1 when a path is empty or the
    // archive cannot be opened.
    int List();
    // Copies the current entry's data blocks from reader to writer; 0 or -1.
    int copy_data(archive *reader, archive *writer);
    const Totals &GetTotals() const { return totals; }

private:
    int ExtractWith(int fd, EntryCount &count);
    int ExtractWatched(int fd);

    ustring target;
    ustring source;
    int package_fd = -1;
    int known_entries = 0;
    PackageExtractor::Budget budget;
    int stall_ms = kPackageStallMs;
    PackageExtractor::EntrySink entry_sink;
    Totals totals;
    ReadWatch *watch = nullptr;  // the watch of a reading on a thread of its own
};
