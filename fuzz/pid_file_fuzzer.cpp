// Stopping the client through a pid file of any content. No process here is the client, so
// the service may probe processes but never signal one; every kill of the service reaches
// the wrapper below (linked with --wrap=kill) and none reaches the system.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "common/config.h"
#include "fuzz/fuzz_support.h"
#include "service/linux/client-stop.h"
#include "tests/support/temp_dir.h"

extern "C" int __wrap_kill(pid_t pid, int sig) {
    FUZZ_CHECK(pid > 0 && sig == 0);
    // A probe answers as the system would, from /proc.
    if (::access(("/proc/" + std::to_string(pid)).c_str(), F_OK) == 0)
        return 0;
    errno = ESRCH;
    return -1;
}

namespace {

// atol on the value; 0 unless it names a possible process.
pid_t ReferencePid(const std::string &value) {
    errno = 0;
    const long pid = std::strtol(value.c_str(), nullptr, 10);
    long pid_max = 0;
    std::ifstream("/proc/sys/kernel/pid_max") >> pid_max;
    return errno == 0 && pid > 0 && pid <= pid_max ? static_cast<pid_t>(pid) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    loxfuzz::LogEverything();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static loxtest::TempDir dir;
    // A name no process of the machine has, in a directory nothing runs from.
    static const ClientIdentity client{(dir / "app").c_str(),
                                       (dir / "app/bin/lox-fuzz-none").c_str()};
    const std::string pid_file = dir / "ui.pid";
    loxtest::WriteFile(pid_file, loxfuzz::Bytes(data, size));

    Config config;
    if (config.read(pid_file) == 0) {
        const pid_t pid = ParseClientPid(config["pid"]);
        FUZZ_CHECK(pid == ReferencePid(config["pid"]));
        FUZZ_CHECK(!IsOwnClient(pid, client));
    }
    StopClient(pid_file.c_str(), client);
    return 0;
}
