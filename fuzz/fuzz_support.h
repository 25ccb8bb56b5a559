#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Helpers shared by the fuzz targets.
namespace loxfuzz {

// A broken property is a finding: print it and abort, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                       \
    do {                                                            \
        if (!(condition))                                           \
            ::loxfuzz::CheckFailed(#condition, __FILE__, __LINE__); \
    } while (0)
[[noreturn]] void CheckFailed(const char *condition, const char *file, int line);

// Every component logs everything to standard output (scripts/fuzz closes it), so each log
// site that an input reaches formats its arguments.
void LogEverything();

inline std::string Bytes(const uint8_t *data, size_t size) {
    return std::string(reinterpret_cast<const char *>(data), size);
}

// Number of descriptors the process holds open.
int OpenDescriptors();

}  // namespace loxfuzz
