#pragma once

// The extractor as a module of its own in the installed tree's lib/, linked to libarchive: only
// a run that unpacks loads it, the others do without libarchive and the libraries it brings.
// The module calls the program's log and progress relay, which the program exports.
#define LOXEN_EXTRACTOR_MODULE "loxen-extractor.so"
#define LOXEN_EXTRACTOR_ENTRY "loxen_package_extractor"

// What a caller can ask of the package through the module. Operations are added as further
// calls here; the module and the program are built together, so no older module meets a newer
// program.
class PackageExtractor {
public:
    // What the last Extract wrote, and the system error number of its failure (0 if unknown).
    struct Totals {
        int entries = 0;
        long long bytes = 0;
        int error_number = 0;
    };

    // Unpacks source below target (made when missing) with per-entry progress; 0, or -1 after
    // a failure (logged), with totals saying how far it came.
    virtual int Extract(const char *source, const char *target, Totals &totals) = 0;
    // The bytes the package takes once unpacked on a file system of this block size, or -1
    // when it cannot be read to its end. Reads only the source.
    virtual long long UnpackedBytes(const char *source, long long block_size) = 0;

protected:
    ~PackageExtractor() = default;  // the module owns its one object
};

// The module's one entry point: its object, which lives as long as the process.
extern "C" PackageExtractor *loxen_package_extractor();
using LoxenExtractorEntry = decltype(&loxen_package_extractor);
