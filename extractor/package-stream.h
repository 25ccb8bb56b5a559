#pragma once

#include <archive.h>

#include <memory>
#include <string>
#include <vector>

#include "extractor/stream-layers.h"

// The package as libarchive reads it: the descriptor, below the gzip and lz4 layers that we
// decode and verify ourselves, so that libarchive sees what is inside them. Reads with an
// offset of its own, so a check and an extraction may read one descriptor at once.
class PackageStream {
public:
    explicit PackageStream(int fd);

    PackageStream(const PackageStream &) = delete;
    PackageStream &operator=(const PackageStream &) = delete;

    // Finds the layers and opens reader (all filters, all formats) on what they give. 0, or -1
    // with the reason in Error() (or in the reader's error text).
    int Open(archive *reader);
    // After libarchive has seen the end of the archive: reads our layers to their end, so that
    // the trailer of the last member is checked too. 0, or -1 with the reason in Error().
    int Drain();
    // libarchive reads the file itself, seeking where its format wants to (a zip's central
    // directory), with no layer of ours between.
    bool Plain() const { return layers_.size() == 1; }
    // Bytes of the package file read so far.
    long long Consumed() const;
    // Why the package could not be read, empty when libarchive itself refused it.
    const std::string &Error() const { return error_; }
    // Error(), or else the reader's own text.
    std::string ReadError(archive *reader) const;

private:
    static la_ssize_t ReadBlock(archive *reader, void *self, const void **block);
    static la_int64_t Seek(archive *reader, void *self, la_int64_t offset, int whence);
    int FindLayers();

    int fd_;
    FileLayer *file_ = nullptr;
    std::vector<std::unique_ptr<StreamLayer>> layers_;
    std::string head_;  // read while finding the layers, given to libarchive first
    std::vector<char> block_;
    std::string error_;
};
