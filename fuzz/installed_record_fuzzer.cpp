// The record of what was installed, of any content. A record that reads names only entries
// inside the copy (the copy here is empty, a file lies beside it: every entry is missing), and
// written back it reads back the same.
#include "fuzz/fuzz_support.h"
#include "service/copy-compare.h"
#include "service/installed-record.h"
#include "tests/support/temp_dir.h"

namespace {

bool Same(const InstalledList &a, const InstalledList &b) {
    if (a.size() != b.size())
        return false;
    for (auto x = a.begin(), y = b.begin(); x != a.end(); ++x, ++y)
        if (x->first != y->first || x->second.type != y->second.type ||
            x->second.size != y->second.size || x->second.run_bits != y->second.run_bits ||
            x->second.target != y->second.target)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    loxfuzz::LogEverything();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static loxtest::TempDir dir;
    static const ustring app = [] {
        loxtest::MakeDirs(dir / "app");
        loxtest::WriteFile(dir / "outside", "not the copy's\n");
        return ustring((dir / "app").c_str());
    }();
    loxtest::WriteFile(InstalledRecordPath(app).c_str(), loxfuzz::Bytes(data, size));

    InstalledList entries;
    if (!ReadInstalledRecord(app, entries))
        return 0;
    FUZZ_CHECK(CompareCopy(app, entries).count == static_cast<long long>(entries.size()));
    FUZZ_CHECK(WriteInstalledRecord(app, entries) == 0);
    InstalledList again;
    FUZZ_CHECK(ReadInstalledRecord(app, again) && Same(again, entries));
    return 0;
}
