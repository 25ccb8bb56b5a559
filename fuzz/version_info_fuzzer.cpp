// The two INFO files of a run and the upgrade decision on them. The input is the installed
// INFO, then, after a NUL byte, the per-user one (no per-user installation without it). The
// decision must be the reference: per-user client missing, or a greater target build.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "service/linux/linux-service.h"
#include "tests/support/fake_install.h"

namespace {

class RecordService : public LinuxService {
public:
    using Service::source_version;
    using Service::target_version;
};

// atoi on the build text, held within the int range.
long long Build(const ustring &text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    loxfuzz::LogEverything();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input = loxfuzz::Bytes(data, size);
    const size_t split = input.find('\0');
    loxtest::FakeInstall fake;
    fake.WriteTargetInfo(input.substr(0, split));
    const bool per_user = split != std::string::npos;
    if (per_user) {
        loxtest::MakeDirs(fake.app_path() + "/bin");
        loxtest::WriteFile(fake.source_info(), input.substr(split + 1));
        loxtest::WriteFile(fake.ui_path(), "");
    }

    RecordService service;
    service.PreUpgrade();
    const bool expected = !per_user || Build(service.target_version.build_version) >
                                           Build(service.source_version.build_version);
    FUZZ_CHECK(service.IsNeedUpgrade() == expected);
    return 0;
}
