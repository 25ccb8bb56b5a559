#include "bench/package-maker.h"

#include <archive_entry.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

#include "bench/measure.h"

namespace fs = std::filesystem;

namespace bench {

namespace {

constexpr int kTopFolders = 5;
constexpr int kSubFolders = 4;
constexpr int kFolderDepth = 3;

size_t LogUniform(Rng &rng, double low, double high) {
    std::uniform_real_distribution<double> exponent(std::log(low), std::log(high));
    return static_cast<size_t>(std::exp(exponent(rng)));
}

std::vector<fs::path> MakeFolders(const fs::path &root) {
    std::vector<fs::path> folders{root};
    std::function<void(const fs::path &, int, int)> grow = [&](const fs::path &at, int depth,
                                                               int children) {
        for (int i = 0; i < children; ++i) {
            fs::path child = at / ("folder" + std::to_string(depth) + "_" + std::to_string(i));
            fs::create_directories(child);
            folders.push_back(child);
            if (depth + 1 < kFolderDepth)
                grow(child, depth + 1, kSubFolders);
        }
    };
    grow(root, 0, kTopFolders);
    return folders;
}

std::vector<size_t> FileSizes(Rng &rng, const Shape &shape) {
    std::vector<size_t> sizes;
    for (int i = 0; i < shape.small; ++i)
        sizes.push_back(LogUniform(rng, shape.small_low, shape.small_high));
    for (int i = 0; i < shape.medium; ++i) sizes.push_back(LogUniform(rng, 32 << 10, 512 << 10));
    std::uniform_int_distribution<size_t> large(256 << 10, 1 << 20);
    for (int i = 0; i < shape.large; ++i) sizes.push_back(large(rng));
    std::shuffle(sizes.begin(), sizes.end(), rng);
    return sizes;
}

}  // namespace

TextSource::TextSource(Rng &rng) : rng_(rng) {
    std::uniform_int_distribution<int> length(2, 10), letter('a', 'z');
    for (int i = 0; i < 2000; ++i) {
        std::string word(static_cast<size_t>(length(rng_)), 'a');
        for (char &c : word) c = static_cast<char>(letter(rng_));
        words_.push_back(word);
    }
}

std::string TextSource::Text(size_t size) {
    std::string out;
    out.reserve(size + 16);
    std::uniform_int_distribution<size_t> pick(0, words_.size() - 1);
    std::uniform_int_distribution<int> line_words(4, 14), number(0, 15);
    while (out.size() < size) {
        for (int n = line_words(rng_); n > 0; --n) {
            out += words_[pick(rng_)];
            out += number(rng_) == 0 ? " 0x" + std::to_string(rng_() % 65536) + " " : " ";
        }
        out.back() = '\n';
    }
    out.resize(size);
    return out;
}

std::string TextSource::Binary(size_t size) {
    std::string out;
    out.reserve(size);
    std::uniform_int_distribution<int> byte(0, 63), run(1, 8);
    while (out.size() < size)
        out.append(static_cast<size_t>(run(rng_)), static_cast<char>(byte(rng_)));
    out.resize(size);
    return out;
}

size_t GenerateTree(const fs::path &root, const Shape &shape) {
    Rng rng(20240601);
    TextSource source(rng);
    const std::vector<fs::path> folders = MakeFolders(root);
    std::uniform_int_distribution<size_t> folder(0, folders.size() - 1);
    size_t total = 0, index = 0;
    for (size_t size : FileSizes(rng, shape)) {
        const bool binary = index % 10 == 0;
        const fs::path file =
            folders[folder(rng)] / ("file" + std::to_string(index++) + (binary ? ".dat" : ".txt"));
        std::ofstream(file, std::ios::binary) << (binary ? source.Binary(size) : source.Text(size));
        total += size;
    }
    return total;
}

bool PackTree(const fs::path &dir, const std::vector<std::string> &entries,
              const fs::path &package) {
    std::vector<std::string> args = {"bsdtar", "-czf", package.string(), "-C", dir.string()};
    args.insert(args.end(), entries.begin(), entries.end());
    return RunProgram(args).ok;
}

size_t MakePackage(const fs::path &work, const Shape &shape, const fs::path &package) {
    const fs::path tree = work / "tree";
    const size_t bytes = GenerateTree(tree, shape);
    const bool built = PackTree(tree, {"."}, package);
    fs::remove_all(tree);
    return built ? bytes : 0;
}

PaxWriter::PaxWriter(const fs::path &path, int filter) : writer_(archive_write_new()) {
    const bool xz = filter == ARCHIVE_FILTER_XZ;
    ok_ = archive_write_set_format_pax_restricted(writer_) == ARCHIVE_OK &&
          archive_write_add_filter(writer_, filter) == ARCHIVE_OK &&
          archive_write_set_filter_option(writer_, nullptr, "compression-level", xz ? "0" : "1") ==
              ARCHIVE_OK;
    // Every core where the filter can use them, so that large packages come quickly.
    if (xz)
        archive_write_set_filter_option(writer_, "xz", "threads", "0");
    ok_ = ok_ && archive_write_open_filename(writer_, path.c_str()) == ARCHIVE_OK;
}

PaxWriter::~PaxWriter() {
    archive_write_free(writer_);
}

void PaxWriter::Add(const std::string &name, const std::string &data, const std::string &xattr) {
    archive_entry *entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
    if (!xattr.empty())
        archive_entry_xattr_add_entry(entry, "user.bench", xattr.data(), xattr.size());
    ok_ = ok_ && archive_write_header(writer_, entry) == ARCHIVE_OK &&
          (data.empty() || archive_write_data(writer_, data.data(), data.size()) ==
                               static_cast<la_ssize_t>(data.size()));
    archive_entry_free(entry);
}

long long PaxWriter::Written() const {
    return archive_filter_bytes(writer_, -1);
}

bool PaxWriter::Close() {
    return ok_ && archive_write_close(writer_) == ARCHIVE_OK;
}

}  // namespace bench
