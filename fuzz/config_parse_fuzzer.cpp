// Config::parse on one line of any bytes, in a buffer of exactly its size: a pair is
// well-formed and reads back the same when written out again; anything else leaves the
// out-parameters alone.
#include <vector>

#include "common/config.h"
#include "fuzz/fuzz_support.h"

namespace {

const char kUntouched[] = "\x01untouched";

int Parse(const std::string &line, std::string &key, std::string &value) {
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    Config config;
    return config.parse(buffer.data(), static_cast<int>(line.size()), key, value);
}

// The pair as a line: quoted unless the value holds both quotes (then it had none).
std::string Line(const std::string &key, const std::string &value) {
    if (value.find('"') == std::string::npos)
        return key + " = \"" + value + "\"";
    if (value.find('\'') == std::string::npos)
        return key + "\t=\t'" + value + "'";
    return key + "=" + value + " # again";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string key = kUntouched;
    std::string value = kUntouched;
    const int result = Parse(loxfuzz::Bytes(data, size), key, value);
    FUZZ_CHECK(result >= 0 && result <= 2);
    if (result != 0) {
        FUZZ_CHECK(key == kUntouched && value == kUntouched);
        return 0;
    }
    for (char c : key) FUZZ_CHECK(Config::is_key_char(static_cast<unsigned char>(c)));
    for (char c : value) FUZZ_CHECK(Config::is_value_char(static_cast<unsigned char>(c)));

    std::string key_again;
    std::string value_again;
    FUZZ_CHECK(Parse(Line(key, value), key_again, value_again) == 0);
    FUZZ_CHECK(key_again == key && value_again == value);
    return 0;
}
