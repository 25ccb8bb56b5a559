#include "extractor/zip-names.h"

#include <sys/stat.h>
#include <unistd.h>

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

// Where the central directory is, as its end record (or the zip64 one) tells.
struct Directory {
    long long start = 0;
    uint64_t entries = 0;
};

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
    if (end == static_cast<size_t>(-1))
        return false;
    directory.entries = Little(tail, end + 10, 2);
    directory.start = static_cast<long long>(Little(tail, end + 16, 4));
    if (directory.entries != 0xffff && directory.start != 0xffffffff)
        return true;
    std::string record;
    if (end < kLocatorSize || !Signed(tail, end - kLocatorSize, "PK\6\7") ||
        !ReadAt(fd, static_cast<long long>(Little(tail, end - kLocatorSize + 8, 8)), kEnd64Size,
                record) ||
        !Signed(record, 0, "PK\6\6"))
        return false;
    directory.entries = Little(record, 32, 8);
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

}  // namespace

std::string ZipNameDifference(int fd) {
    Directory directory;
    if (!FindDirectory(fd, directory))
        return "the end of the zip central directory cannot be read";
    long long at = directory.start;
    std::string record, name, extra, local, local_name;
    for (uint64_t index = 0; index < directory.entries; ++index) {
        if (!ReadAt(fd, at, kCentralSize, record) || !Signed(record, 0, "PK\1\2") ||
            !ReadAt(fd, at + kCentralSize, Little(record, 28, 2), name) ||
            !ReadAt(fd, at + kCentralSize + name.size(), Little(record, 30, 2), extra))
            return Entry(index, "") + "its record in the central directory cannot be read";
        at += kCentralSize + name.size() + extra.size() + Little(record, 32, 2);
        const long long offset = LocalOffset(record, extra);
        if (!ReadAt(fd, offset, kLocalSize, local) || !Signed(local, 0, "PK\3\4") ||
            !ReadAt(fd, offset + kLocalSize, Little(local, 26, 2), local_name))
            return Entry(index, name) + "its local header cannot be read";
        if (local_name != name)
            return Entry(index, name) + "the name in its local header differs ('" + local_name +
                   "')";
    }
    return std::string();
}
