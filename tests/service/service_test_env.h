#pragma once

#include <string>

#include "common/log.h"
#include "service/linux/linux-service.h"
#include "tests/support/fake_install.h"
#include "tests/support/temp_dir.h"

namespace svctest {

// Sends every level of the service and the file-system library to a log file of the test.
class LogCapture {
public:
    explicit LogCapture(const std::string &dir) : path_(dir + "/test.log") {
        loxtest::WriteFile(dir + "/levels",
                           "service_debug=7\nfile_op_debug=7\nextractor_debug=7\n");
        Logger::Initialize(Logger::TYPE_FILE, path_, dir + "/levels", 50, Logger::SCOPE_THREAD);
    }
    ~LogCapture() { Logger::Destroy(); }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    std::string Text() const {
        return loxtest::PathExists(path_) ? loxtest::ReadFile(path_) : std::string();
    }
    int Count(const std::string &needle) const {
        std::string text = Text();
        int count = 0;
        for (size_t at = text.find(needle); at != std::string::npos;
             at = text.find(needle, at + needle.size()))
            ++count;
        return count;
    }
    bool Has(const std::string &needle) const { return Count(needle) > 0; }

private:
    std::string path_;
};

// The service with its records and protected parts in reach of the tests.
class TestService : public LinuxService {
public:
    using Service::app_path;
    using Service::IsReplacementPending;
    using Service::source_version;
    using Service::target_version;
    using Service::timeout;
};

// A fake installation with its log; the registry is filled when it is made.
struct ServiceEnv {
    explicit ServiceEnv(const std::string &home_name = "home")
        : fake(home_name), log(fake.base()) {}

    std::string Backup(int n) const {
        return fake.app_path() + "_tmp" + (n == 0 ? std::string() : std::to_string(n));
    }
    std::string Marker() const { return fake.app_path() + ".replacing"; }

    loxtest::FakeInstall fake;
    LogCapture log;
};

}  // namespace svctest
