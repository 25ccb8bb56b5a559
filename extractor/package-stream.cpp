#include "extractor/package-stream.h"

#include <archive.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace {

constexpr size_t kBlockSize = 64 << 10;
// A gzip inside a gzip is plausible; a deeper pile is a package made to loop.
constexpr int kMaxLayers = 4;

// Up to size bytes from the start of layer; false after its failure.
bool ReadHead(StreamLayer &layer, std::string &head, size_t size) {
    head.resize(size);
    size_t have = 0;
    while (have < size) {
        const ssize_t got = layer.Read(head.data() + have, size - have);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        have += static_cast<size_t>(got);
    }
    head.resize(have);
    return true;
}

}  // namespace

PackageStream::PackageStream(int fd) : fd_(fd), block_(kBlockSize) {}

int PackageStream::FindLayers() {
    auto file = std::make_unique<FileLayer>(fd_);
    file_ = file.get();
    layers_.push_back(std::move(file));
    for (;;) {
        StreamLayer &top = *layers_.back();
        if (!ReadHead(top, head_, kLayerHeadSize)) {
            error_ = top.Error();
            return -1;
        }
        const LayerKind kind = LayerKindOf(head_);
        if (kind == LayerKind::None)
            return 0;
        if (layers_.size() > kMaxLayers) {
            char text[96];
            std::snprintf(text, sizeof text, "compressed more than %d times over", kMaxLayers);
            error_ = text;
            return -1;
        }
        layers_.push_back(MakeDecoder(kind, top, std::move(head_)));
        head_.clear();
    }
}

int PackageStream::Open(archive *reader) {
    if (FindLayers() != 0)
        return -1;
    archive_read_support_filter_all(reader);
    archive_read_support_format_all(reader);
    archive_read_set_read_callback(reader, ReadBlock);
    archive_read_set_callback_data(reader, this);
    // Formats that read from the end (zip's central directory, 7z) need a plain file.
    if (layers_.size() == 1) {
        file_->Seek(0);
        head_.clear();
        archive_read_set_seek_callback(reader, Seek);
    }
    return archive_read_open1(reader) == ARCHIVE_OK ? 0 : -1;
}

la_ssize_t PackageStream::ReadBlock(archive *reader, void *self, const void **block) {
    auto *stream = static_cast<PackageStream *>(self);
    if (!stream->head_.empty()) {
        *block = stream->block_.data();
        const size_t size = stream->head_.size();
        stream->head_.copy(stream->block_.data(), size);
        stream->head_.clear();
        return static_cast<la_ssize_t>(size);
    }
    StreamLayer &top = *stream->layers_.back();
    const ssize_t got = top.Read(stream->block_.data(), stream->block_.size());
    if (got < 0) {
        stream->error_ = top.Error();
        archive_set_error(reader, EIO, "%s", stream->error_.c_str());
        return -1;
    }
    *block = stream->block_.data();
    return got;
}

la_int64_t PackageStream::Seek(archive *, void *self, la_int64_t offset, int whence) {
    auto *stream = static_cast<PackageStream *>(self);
    la_int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = stream->file_->Offset();
    } else if (whence == SEEK_END) {
        struct stat st;
        if (::fstat(stream->fd_, &st) != 0)
            return ARCHIVE_FATAL;
        base = st.st_size;
    }
    if (base + offset < 0)
        return ARCHIVE_FATAL;
    stream->file_->Seek(base + offset);
    return base + offset;
}

int PackageStream::Drain() {
    if (layers_.size() == 1)
        return 0;  // libarchive verifies what it decodes itself as far as the archive goes
    StreamLayer &top = *layers_.back();
    ssize_t got;
    while ((got = top.Read(block_.data(), block_.size())) > 0) {
    }
    if (got == 0)
        return 0;
    error_ = top.Error();
    return -1;
}

long long PackageStream::Consumed() const {
    return file_ ? file_->Offset() : 0;
}

std::string PackageStream::ReadError(archive *reader) const {
    if (!error_.empty())
        return error_;
    const char *text = archive_error_string(reader);
    return text ? text : "unreadable";
}
