// Config::read on any file content, as a pid file or the logger's level file: a read that
// succeeds holds only well-formed pairs, one that fails holds nothing, and a second read of
// the same file changes nothing.
#include <algorithm>

#include "common/config.h"
#include "common/log.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/temp_dir.h"

namespace {

bool WellFormed(const std::pair<const std::string, std::string> &pair) {
    return std::all_of(pair.first.begin(), pair.first.end(),
                       [](char c) { return Config::is_key_char(static_cast<unsigned char>(c)); }) &&
           std::all_of(pair.second.begin(), pair.second.end(),
                       [](char c) { return Config::is_value_char(static_cast<unsigned char>(c)); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static loxtest::TempDir dir;
    const std::string path = dir / "pairs";
    loxtest::WriteFile(path, loxfuzz::Bytes(data, size));

    Config config;
    const int result = config.read(path);
    FUZZ_CHECK(result == 0 || result == -1);
    FUZZ_CHECK(result == 0 || config.entries().empty());
    FUZZ_CHECK(std::all_of(config.entries().begin(), config.entries().end(), WellFormed));

    const auto first = config.entries();
    FUZZ_CHECK(config.read(path) == result);
    FUZZ_CHECK(config.entries() == first);

    // The logger reads its level file through the same reader and takes every value as a level.
    Logger::Initialize(Logger::TYPE_STDOUT, "", path, 50, Logger::SCOPE_NONE);
    return 0;
}
