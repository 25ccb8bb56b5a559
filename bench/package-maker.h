// Generated packages for the benchmarks: a tree of files that compress like a client's, packed
// by the archiver, or archives written entry by entry.
#pragma once

#include <archive.h>

#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace bench {

// How many files of each size class a package holds.
struct Shape {
    int small;  // small_low to small_high bytes
    double small_low;
    double small_high;
    int medium;  // 32 KiB to 512 KiB
    int large;   // 256 KiB to 1 MiB, the bulk of the bytes

    int Files() const { return small + medium + large; }
    Shape Quarter() const { return {small / 4, small_low, small_high, medium / 4, large / 4}; }
};

constexpr Shape kMixed{2400, 256, 32 << 10, 540, 60};  // 3 000 files, 150 MB
constexpr Shape kManySmall{60000, 64, 4 << 10, 0, 0};

using Rng = std::mt19937_64;

// Word-like text from a fixed vocabulary: compresses like source or config files do.
class TextSource {
public:
    explicit TextSource(Rng &rng);
    std::string Text(size_t size);
    // Bytes of a small alphabet with runs, like tables or images without compression.
    std::string Binary(size_t size);

private:
    Rng &rng_;
    std::vector<std::string> words_;
};

// Writes the files of shape under root; returns the number of bytes in them.
size_t GenerateTree(const std::filesystem::path &root, const Shape &shape);

// A gzip-compressed tar of the named entries of dir, as the archiver writes it; false on failure.
bool PackTree(const std::filesystem::path &dir, const std::vector<std::string> &entries,
              const std::filesystem::path &package);

// Builds a gzip-compressed tar of shape in work; returns the number of bytes of its files.
size_t MakePackage(const std::filesystem::path &work, const Shape &shape,
                   const std::filesystem::path &package);

// Writes a compressed pax archive entry by entry; false on any failure.
class PaxWriter {
public:
    // filter: ARCHIVE_FILTER_GZIP (level 1) or ARCHIVE_FILTER_XZ (level 0, all cores).
    explicit PaxWriter(const std::filesystem::path &path, int filter = ARCHIVE_FILTER_GZIP);
    ~PaxWriter();
    PaxWriter(const PaxWriter &) = delete;
    PaxWriter &operator=(const PaxWriter &) = delete;

    void Add(const std::string &name, const std::string &data, const std::string &xattr = {});
    // Compressed bytes written so far.
    long long Written() const;
    bool Close();

private:
    archive *writer_;
    bool ok_ = false;
};

}  // namespace bench
