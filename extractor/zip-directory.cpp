#include "extractor/zip-directory.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kEndSize = 22, kEnd64Size = 56, kLocatorSize = 20;
constexpr size_t kCentralSize = 46, kLocalSize = 30, kLongestComment = 0xffff;

uint64_t Little(const std::string &bytes, size_t at, int size) {
    uint64_t value = 0;
    for (int byte = size - 1; byte >= 0; --byte)
        value = value << 8 | static_cast<unsigned char>(bytes[at + byte]);
    return value;
}

bool ReadAt(int fd, long long offset, size_t size, std::string &bytes) {
    bytes.resize(size);
    size_t have = 0;
    while (have < size) {
        const ssize_t got = ::pread(fd, bytes.data() + have, size - have, offset + have);
        if (got <= 0)
            return false;
        have += static_cast<size_t>(got);
    }
    return offset >= 0;
}

bool Signed(const std::string &bytes, size_t at, const char *signature) {
    return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, signature, 4) == 0;
}

// Where the central directory is, as its end record (or the zip64 one) tells, and where that
// record starts: the directory ends there.
struct Directory {
    long long start = 0;
    long long size = 0;
    long long end = 0;
    uint64_t entries = 0;
};

// The end record's own fields agree: one disk, one count, its comment up to the file's end.
bool EndRecordAgrees(const std::string &tail, size_t end) {
    return Little(tail, end + 4, 2) == 0 && Little(tail, end + 6, 2) == 0 &&
           Little(tail, end + 8, 2) == Little(tail, end + 10, 2) &&
           end + kEndSize + Little(tail, end + 20, 2) == tail.size();
}

bool FindDirectory(int fd, Directory &directory) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size < static_cast<long long>(kEndSize))
        return false;
    const size_t tail_size = std::min<long long>(st.st_size, kEndSize + kLongestComment);
    const long long tail_start = st.st_size - static_cast<long long>(tail_size);
    std::string tail;
    if (!ReadAt(fd, tail_start, tail_size, tail))
        return false;
    size_t end = tail_size - kEndSize + 1;
    while (end-- > 0 && !Signed(tail, end, "PK\5\6")) {
    }
    if (end == static_cast<size_t>(-1) || !EndRecordAgrees(tail, end))
        return false;
    directory.entries = Little(tail, end + 10, 2);
    directory.size = static_cast<long long>(Little(tail, end + 12, 4));
    directory.start = static_cast<long long>(Little(tail, end + 16, 4));
    directory.end = tail_start + static_cast<long long>(end);
    if (directory.entries != 0xffff && directory.start != 0xffffffff)
        return true;
    std::string record;
    if (end < kLocatorSize || !Signed(tail, end - kLocatorSize, "PK\6\7"))
        return false;
    directory.end = static_cast<long long>(Little(tail, end - kLocatorSize + 8, 8));
    if (!ReadAt(fd, directory.end, kEnd64Size, record) || !Signed(record, 0, "PK\6\6") ||
        Little(record, 24, 8) != Little(record, 32, 8))
        return false;
    directory.entries = Little(record, 32, 8);
    directory.size = static_cast<long long>(Little(record, 40, 8));
    directory.start = static_cast<long long>(Little(record, 48, 8));
    return true;
}

// The local header's offset, from the zip64 extra field when the record has no room for it.
long long LocalOffset(const std::string &record, const std::string &extra) {
    const uint64_t offset = Little(record, 42, 4);
    if (offset != 0xffffffff)
        return static_cast<long long>(offset);
    for (size_t at = 0; at + 4 <= extra.size(); at += 4 + Little(extra, at + 2, 2)) {
        if (Little(extra, at, 2) != 1)
            continue;
        // The zip64 field holds only the values too large for the record, in this order.
        const size_t skip =
            8 * ((Little(record, 24, 4) == 0xffffffff) + (Little(record, 20, 4) == 0xffffffff));
        return at + 4 + skip + 8 <= extra.size()
                   ? static_cast<long long>(Little(extra, at + 4 + skip, 8))
                   : -1;
    }
    return -1;
}

std::string Entry(uint64_t index, const std::string &name) {
    return "entry " + std::to_string(index + 1) + " ('" + name + "'): ";
}

constexpr unsigned kUnixHost = 3;
constexpr unsigned kStored = 0, kDeflated = 8;
constexpr uint64_t kDataDescriptor = 1 << 3;
constexpr uint64_t kLongestTarget = 4096;

// The link target's bytes as stored, inflated when deflated; false when they cannot be read.
bool ReadTarget(int fd, long long at, uint64_t size, unsigned method, std::string &target) {
    std::string stored;
    if (size > kLongestTarget || !ReadAt(fd, at, size, stored))
        return false;
    if (method == kStored) {
        target = stored;
        return true;
    }
    z_stream stream{};
    if (method != kDeflated || inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    target.assign(kLongestTarget, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(stored.data());
    stream.avail_in = static_cast<uInt>(stored.size());
    stream.next_out = reinterpret_cast<Bytef *>(target.data());
    stream.avail_out = static_cast<uInt>(target.size());
    const int status = inflate(&stream, Z_FINISH);
    target.resize(stream.total_out);
    inflateEnd(&stream);
    return status == Z_STREAM_END;
}

// What the local header at offset says against the central record; empty when they agree.
std::string LocalFault(int fd, const std::string &record, const std::string &name,
                       long long offset) {
    std::string local, local_name;
    if (!ReadAt(fd, offset, kLocalSize, local) || !Signed(local, 0, "PK\3\4") ||
        !ReadAt(fd, offset + kLocalSize, Little(local, 26, 2), local_name))
        return "its local header cannot be read";
    if (local_name != name)
        return "the name in its local header differs ('" + local_name + "')";
    if (Little(local, 8, 2) != Little(record, 10, 2))
        return "its local header names another method";
    const bool sizes_follow = Little(local, 6, 2) & kDataDescriptor;
    if (!sizes_follow && (Little(local, 14, 4) != Little(record, 16, 4) ||
                          Little(local, 18, 8) != Little(record, 20, 8)))
        return "its local header gives another checksum or size";
    const unsigned host = static_cast<unsigned>(Little(record, 5, 1));
    const uint64_t mode = Little(record, 38, 4) >> 16;
    if (host != kUnixHost || !S_ISLNK(mode))
        return std::string();
    std::string target;
    const long long data = offset + kLocalSize + name.size() + Little(local, 28, 2);
    if (!ReadTarget(fd, data, Little(record, 20, 4), static_cast<unsigned>(Little(record, 10, 2)),
                    target))
        return "its link target cannot be read";
    const uLong crc =
        crc32(0, reinterpret_cast<const Bytef *>(target.data()), static_cast<uInt>(target.size()));
    return crc == Little(record, 16, 4) ? std::string() : "its link target fails its checksum";
}

}  // namespace

std::string ZipDirectoryFault(int fd) {
    Directory directory;
    if (!FindDirectory(fd, directory))
        return "the end of the zip central directory cannot be read";
    long long at = directory.start;
    std::string record, name, extra;
    uint64_t first_host = 0;
    for (uint64_t index = 0; index < directory.entries; ++index) {
        if (!ReadAt(fd, at, kCentralSize, record) || !Signed(record, 0, "PK\1\2") ||
            !ReadAt(fd, at + kCentralSize, Little(record, 28, 2), name) ||
            !ReadAt(fd, at + kCentralSize + name.size(), Little(record, 30, 2), extra))
            return Entry(index, "") + "its record in the central directory cannot be read";
        at += kCentralSize + name.size() + extra.size() + Little(record, 32, 2);
        if (index == 0)
            first_host = Little(record, 5, 1);
        else if (Little(record, 5, 1) != first_host)
            return Entry(index, name) + "made on another system than the first entry";
        const std::string fault = LocalFault(fd, record, name, LocalOffset(record, extra));
        if (!fault.empty())
            return Entry(index, name) + fault;
    }
    if (at != directory.start + directory.size || at != directory.end)
        return "the central directory's size differs from its end record's";
    return std::string();
}
