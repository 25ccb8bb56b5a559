#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

// One layer of the package as it is read: the file itself, or a decoder over the layer below
// that verifies what its format carries (libarchive 3.6 skips the gzip trailer and the lz4
// content checksum). Read gives the next bytes, 0 at the end, -1 after a failure that Error
// then describes with the offset. Nothing here logs: the check also runs in a forked child.
class StreamLayer {
public:
    virtual ~StreamLayer() = default;
    virtual ssize_t Read(char *out, size_t size) = 0;
    const std::string &Error() const { return error_; }

protected:
    ssize_t Fail(std::string why);

    std::string error_;
};

// The package's descriptor, read with pread from an offset of its own, so that two readers of
// one descriptor never move each other. A pipe has no offsets: it is read as it comes.
class FileLayer final : public StreamLayer {
public:
    explicit FileLayer(int fd) : fd_(fd) {}
    ssize_t Read(char *out, size_t size) override;
    void Seek(long long offset) { offset_ = offset; }
    long long Offset() const { return offset_; }

private:
    int fd_;
    long long offset_ = 0;
};

enum class LayerKind { None, Gzip, Lz4 };

// What the first bytes of a layer are compressed with, as far as a layer of our own decodes it.
// Legacy lz4 frames carry no checksum and are left to libarchive.
LayerKind LayerKindOf(const std::string &head);

// How many bytes LayerKindOf wants to see.
constexpr size_t kLayerHeadSize = 4;

// A decoder of kind reading below; head is what was already read of below for LayerKindOf.
std::unique_ptr<StreamLayer> MakeDecoder(LayerKind kind, StreamLayer &below, std::string head);
