// A replacement of the application directory that finds a record of any content left by an
// earlier run. The first input byte lays out the disk (bit 0: an installation, bit 1: backup
// "_tmp", bit 2: backup "_tmp3", bit 3: the extraction succeeds, bit 4: the record is a link
// to a file outside, bit 5: a folder holding it); the rest is the record. A record that cannot
// be read fails the run and leaves the per-user folder as it was; any other ends without a
// record, with the new installation exactly when the extraction succeeds. Nothing outside the
// per-user folder changes.
#include <unistd.h>

#include "common/file-op.h"
#include "fuzz/fuzz_support.h"
#include "service/linux/linux-service.h"
#include "service/replace-journal.h"
#include "tests/support/fake_install.h"
#include "tests/support/tree_listing.h"

namespace {

class ScriptedService : public LinuxService {
public:
    explicit ScriptedService(bool succeed) : succeed_(succeed) {}
    RunProblem ExtractPackage() override {
        if (FSMKDir(app_path, true) != 0)
            return ProblemOf(ClientProblem::CannotWrite);
        loxtest::WriteFile(std::string(app_path.c_str()) + "/stamp", "new");
        return succeed_ ? RunProblem() : ProblemOf(ClientProblem::DamagedPackage);
    }

private:
    bool succeed_;
};

void Install(const std::string &dir, const char *stamp) {
    loxtest::MakeDirs(dir);
    loxtest::WriteFile(dir + "/stamp", stamp);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    loxfuzz::LogEverything();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const unsigned layout = data[0];
    const std::string record = loxfuzz::Bytes(data + 1, size - 1);
    loxtest::FakeInstall fake;
    const std::string app = fake.app_path();
    const std::string marker = ReplaceJournal::MarkerPath(app.c_str()).c_str();
    loxtest::MakeDirs(fake.user_path());
    if (layout & 1)
        Install(app, "old");
    if (layout & 2)
        Install(app + "_tmp", "older");
    if (layout & 4)
        Install(app + "_tmp3", "older");
    if (layout & 16) {
        loxtest::WriteFile(fake.base() + "/record", record);
        FUZZ_CHECK(::symlink((fake.base() + "/record").c_str(), marker.c_str()) == 0);
    } else if (layout & 32) {
        loxtest::MakeDirs(marker);
        loxtest::WriteFile(marker + "/record", record);
    } else {
        loxtest::WriteFile(marker, record);
    }
    const auto outside = loxtest::ListTree(fake.base(), {fake.user_path()});

    int backup = -1;
    const bool unreadable =
        ReplaceJournal(app.c_str()).Read(backup) == ReplaceJournal::STEP_UNKNOWN;
    const auto user_tree = loxtest::ListTree(fake.user_path());

    const bool succeed = layout & 8;
    ScriptedService service(succeed);
    const int result = service.PrepareUserEnv().failed() ? -1 : 0;
    service.FinishReplacement();
    const std::string stamp =
        loxtest::PathExists(app + "/stamp") ? loxtest::ReadFile(app + "/stamp") : "";
    if (unreadable) {
        FUZZ_CHECK(result == -1 && loxtest::ListTree(fake.user_path()) == user_tree);
    } else {
        FUZZ_CHECK(!loxtest::PathExists(marker));
        FUZZ_CHECK((result == 0) == succeed);
        FUZZ_CHECK(succeed ? stamp == "new" && !loxtest::PathExists(app + "_tmp") : stamp != "new");
    }
    FUZZ_CHECK(loxtest::ListTree(fake.base(), {fake.user_path()}) == outside);
    return 0;
}
