#pragma once

#include "common/ustring.h"
#include "extractor/package-extractor.h"

struct archive;

// Unpacks a package archive into a target directory and reports per-entry progress through
// Notify_Adapter. Every operation opens and frees its own libarchive handles.
class Extractor {
public:
    using Totals = PackageExtractor::Totals;

    Extractor();
    ~Extractor();

    void SetTarget(const ustring &path);
    void SetSource(const ustring &path);

    // 0 when every entry was written below the target, -1 otherwise. Three threads share the
    // work: this one reads, inflates and sends the progress, a second writes the entries, and a
    // third counts the entries with a reader of its own.
    int Extract();
    // Number of entries, or -1 when a path is empty or the archive cannot be opened.
    int Count();
    // The bytes the package takes once unpacked on a file system of this block size: every
    // entry's size rounded up to whole blocks, an entry without data (folder, link) one block.
    // -1 when the package cannot be read to its end. Reads only the source.
    long long UnpackedBytes(long long block_size);
    // Prints every entry's path to standard output; 0, or -1 as for Count.
    int List();
    // Copies the current entry's data blocks from reader to writer; 0 or -1.
    int copy_data(archive *reader, archive *writer);
    const Totals &GetTotals() const { return totals; }

private:
    ustring target;
    ustring source;
    Totals totals;
};
