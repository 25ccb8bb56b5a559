#include "extractor/stream-layers.h"

#include <lz4frame.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kInputSize = 64 << 10;

// A decoder's input: bytes of the layer below, with the offset where they stand in it.
class DecoderLayer : public StreamLayer {
protected:
    DecoderLayer(StreamLayer &below, std::string head) : below_(below), in_(kInputSize) {
        std::memcpy(in_.data(), head.data(), head.size());
        end_ = head.size();
    }

    size_t Waiting() const { return end_ - pos_; }
    const char *Next() const { return in_.data() + pos_; }
    void Consume(size_t size) { pos_ += size; }
    long long Offset() const { return consumed_before_ + static_cast<long long>(pos_); }

    // Reads more of the layer below behind what waits; 1, 0 at its end, -1 after its failure.
    int Fill() {
        if (pos_ > 0) {
            std::memmove(in_.data(), Next(), Waiting());
            consumed_before_ += static_cast<long long>(pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        const ssize_t got = below_.Read(in_.data() + end_, in_.size() - end_);
        if (got < 0) {
            error_ = below_.Error();
            return -1;
        }
        end_ += static_cast<size_t>(got);
        return got > 0 ? 1 : 0;
    }

private:
    StreamLayer &below_;
    std::vector<char> in_;
    size_t pos_ = 0;
    size_t end_ = 0;
    long long consumed_before_ = 0;
};

std::string At(const char *what, long long offset, const char *why) {
    char text[256];
    std::snprintf(text, sizeof text, "%s at offset %lld: %s", what, offset, why);
    return text;
}

std::string Truncated(long long offset) {
    return "truncated at offset " + std::to_string(offset);
}

// Every gzip member with its CRC-32 and length; concatenated members are one stream, and only
// zeros (padding) may follow the last one.
class GzipLayer final : public DecoderLayer {
public:
    GzipLayer(StreamLayer &below, std::string head) : DecoderLayer(below, std::move(head)) {
        ready_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK;
    }
    ~GzipLayer() override {
        if (ready_)
            inflateEnd(&stream_);
    }

    ssize_t Read(char *out, size_t size) override {
        if (!ready_)
            return Fail("gzip: no memory for the decoder");
        size_t produced = 0;
        while (produced == 0) {
            int more = Waiting() > 0 ? 1 : Fill();
            if (more < 0)
                return -1;
            if (state_ == State::Member) {
                if (more == 0)
                    return Fail(At("gzip member", member_, Truncated(Offset()).c_str()));
                const ssize_t got = Inflate(out, size);
                if (got < 0)
                    return -1;
                produced = static_cast<size_t>(got);
            } else if (more == 0) {
                return 0;
            } else if (!NextMember()) {
                return -1;
            }
        }
        return static_cast<ssize_t>(produced);
    }

private:
    enum class State { Member, Between, Zeros };

    ssize_t Inflate(char *out, size_t size) {
        stream_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(Next()));
        stream_.avail_in = static_cast<uInt>(Waiting());
        stream_.next_out = reinterpret_cast<Bytef *>(out);
        stream_.avail_out = static_cast<uInt>(size);
        const int status = inflate(&stream_, Z_NO_FLUSH);
        Consume(Waiting() - stream_.avail_in);
        if (status == Z_STREAM_END)
            state_ = State::Between;
        else if (status != Z_OK && status != Z_BUF_ERROR)
            return Fail(At("gzip member", member_, stream_.msg ? stream_.msg : "undecodable"));
        return static_cast<ssize_t>(size - stream_.avail_out);
    }

    // After a member: another member, or zeros to the end.
    bool NextMember() {
        if (state_ == State::Between && Next()[0] == '\x1f') {
            if (Waiting() < 2 && Fill() < 0)
                return false;
            if (Waiting() >= 2 && Next()[1] == '\x8b') {
                member_ = Offset();
                state_ = State::Member;
                return inflateReset(&stream_) == Z_OK;
            }
        }
        for (; Waiting() > 0; Consume(1)) {
            if (Next()[0] != 0) {
                Fail(At("data after the last gzip member", Offset(), "not a gzip member"));
                return false;
            }
        }
        state_ = State::Zeros;
        return true;
    }

    z_stream stream_{};
    bool ready_ = false;
    State state_ = State::Member;
    long long member_ = 0;
};

// lz4 frames with their block and content checksums, one after another.
class Lz4Layer final : public DecoderLayer {
public:
    Lz4Layer(StreamLayer &below, std::string head) : DecoderLayer(below, std::move(head)) {
        ready_ = !LZ4F_isError(LZ4F_createDecompressionContext(&context_, LZ4F_VERSION));
    }
    ~Lz4Layer() override { LZ4F_freeDecompressionContext(context_); }

    ssize_t Read(char *out, size_t size) override {
        if (!ready_)
            return Fail("lz4: no memory for the decoder");
        size_t produced = 0;
        while (produced == 0) {
            const int more = Waiting() > 0 ? 1 : Fill();
            if (more < 0)
                return -1;
            if (more == 0)
                return frame_done_ ? 0 : Fail(At("lz4 frame", frame_, Truncated(Offset()).c_str()));
            if (frame_done_)
                frame_ = Offset();
            produced = size;
            size_t taken = Waiting();
            const size_t hint = LZ4F_decompress(context_, out, &produced, Next(), &taken, nullptr);
            Consume(taken);
            if (LZ4F_isError(hint))
                return Fail(At("lz4 frame", frame_, LZ4F_getErrorName(hint)));
            frame_done_ = hint == 0;
        }
        return static_cast<ssize_t>(produced);
    }

private:
    LZ4F_dctx *context_ = nullptr;
    bool ready_ = false;
    bool frame_done_ = false;
    long long frame_ = 0;
};

}  // namespace

ssize_t StreamLayer::Fail(std::string why) {
    error_ = std::move(why);
    return -1;
}

ssize_t FileLayer::Read(char *out, size_t size) {
    for (;;) {
        const ssize_t got = ::pread(fd_, out, size, offset_);
        const ssize_t read = got < 0 && errno == ESPIPE ? ::read(fd_, out, size) : got;
        if (read >= 0) {
            offset_ += read;
            return read;
        }
        if (errno != EINTR)
            return Fail(At("reading the package", offset_, std::strerror(errno)));
    }
}

LayerKind LayerKindOf(const std::string &head) {
    if (head.size() >= 2 && head[0] == '\x1f' && head[1] == '\x8b')
        return LayerKind::Gzip;
    if (head.size() >= 4 && head.compare(0, 4, "\x04\x22\x4d\x18") == 0)
        return LayerKind::Lz4;
    return LayerKind::None;
}

std::unique_ptr<StreamLayer> MakeDecoder(LayerKind kind, StreamLayer &below, std::string head) {
    if (kind == LayerKind::Gzip)
        return std::make_unique<GzipLayer>(below, std::move(head));
    return std::make_unique<Lz4Layer>(below, std::move(head));
}
