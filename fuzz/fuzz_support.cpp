#include "fuzz/fuzz_support.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>

#include "common/log.h"
#include "tests/support/temp_dir.h"

namespace loxfuzz {

void CheckFailed(const char *condition, const char *file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}

void LogEverything() {
    loxtest::TempDir dir;
    const std::string levels = dir / "levels";
    loxtest::WriteFile(levels,
                       "launcher_debug=7\nservice_debug=7\nextractor_debug=7\n"
                       "file_op_debug=7\n");
    Logger::Initialize(Logger::TYPE_STDOUT, "", levels, 50, Logger::SCOPE_NONE);
}

int OpenDescriptors() {
    DIR *dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return -1;
    int count = 0;
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
    return count;
}

}  // namespace loxfuzz
