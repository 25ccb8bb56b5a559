#include "tests/support/looping_image.h"

#include <cstdint>

namespace loxtest {
namespace {

constexpr size_t kBlock = 2048;
constexpr uint32_t kRootBlock = 20, kLoopBlock = 21, kBlocks = 32;  // the reader wants 64 KB

std::string Le(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string Be(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string Both(uint32_t value, int bytes) {
    return Le(value, bytes) + Be(value, bytes);
}

// A directory record for the root folder ("\0" for ".", "\1" for "..").
std::string FolderRecord(char name, const std::string &system_use) {
    std::string body = Both(kRootBlock, 4) + Both(kBlock, 4) + std::string(7, '\0') + "\2" +
                       std::string(2, '\0') + Both(1, 2) + "\1" + name + system_use;
    if (body.size() % 2)
        body += '\0';
    return static_cast<char>(body.size() + 2) + std::string(1, '\0') + body;
}

std::string ContinuationAt(uint32_t block) {
    return "CE" + std::string("\x1c\x01", 2) + Both(block, 4) + Both(0, 4) + Both(28, 4);
}

std::string Block(const std::string &head) {
    return head + std::string(kBlock - head.size(), '\0');
}

std::string VolumeDescriptor() {
    std::string pvd = Block(std::string("\1CD001\1", 7));
    pvd.replace(8, 64, std::string(64, ' '));
    pvd.replace(80, 8, Both(kBlocks, 4));
    pvd.replace(120, 12, Both(1, 2) + Both(1, 2) + Both(kBlock, 2));
    pvd.replace(132, 8, Both(10, 4));  // one path table entry
    pvd.replace(140, 4, Le(kRootBlock - 2, 4));
    pvd.replace(148, 4, Be(kRootBlock - 1, 4));
    const std::string root = FolderRecord('\0', "");
    pvd.replace(156, root.size(), root);
    pvd.replace(190, 623, std::string(623, ' '));  // the identifiers
    for (size_t date = 813; date < 881; date += 17) pvd.replace(date, 16, std::string(16, '0'));
    pvd[881] = 1;  // the file structure's version
    return pvd;
}

}  // namespace

std::string LoopingIsoImage() {
    const std::string root_name_size("\1\0", 2);
    const std::string path_entry = root_name_size + Le(kRootBlock, 4) + Le(1, 2) + '\0' + '\0';
    const std::string path_entry_be = root_name_size + Be(kRootBlock, 4) + Be(1, 2) + '\0' + '\0';
    const std::string susp = std::string("SP\x07\x01\xbe\xef\x00", 7) + ContinuationAt(kLoopBlock);
    std::string image(16 * kBlock, '\0');
    image += VolumeDescriptor();
    image +=
        Block(std::string("\xff"
                          "CD001\1",
                          7));
    image += Block(path_entry) + Block(path_entry_be);
    image += Block(FolderRecord('\0', susp) + FolderRecord('\1', ""));
    image += Block(ContinuationAt(kLoopBlock));  // the continuation names itself
    image.resize(kBlocks * kBlock, '\0');
    return image;
}

}  // namespace loxtest
