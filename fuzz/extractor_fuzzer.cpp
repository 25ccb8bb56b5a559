// The extractor on any bytes as a package. Every input extracts into a fresh directory; after
// it the directory holds nothing but the target, the package beside it is unchanged, the
// process holds no more descriptors than before, and the directory can be removed.
#include <cstdlib>

#include "extractor/extractor.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_listing.h"
#include "texts/strtable.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    loxfuzz::LogEverything();
    StrTable::InitStrTable();
    return 0;
}

namespace {

// WORK/nimbrel.qar and WORK/<fresh>/target: an entry that escapes reaches the package as
// "../../nimbrel.qar", a path the fuzzer can find.
const loxtest::TempDir &Work() {
    static loxtest::TempDir work;
    static const bool nested = ::setenv("TMPDIR", work.path().c_str(), 1) == 0;
    FUZZ_CHECK(nested);
    return work;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const loxtest::TempDir &work = Work();
    const std::string package = work / "nimbrel.qar";
    loxtest::WriteFile(package, loxfuzz::Bytes(data, size));
    const auto package_listing = loxtest::ListTree(work.path(), {});
    const int descriptors = loxfuzz::OpenDescriptors();

    std::string parent;
    {
        loxtest::TempDir dir;
        parent = dir.path();
        const std::string target = dir / "target";
        Extractor extractor;
        extractor.SetSource(package.c_str());
        extractor.SetTarget(target.c_str());
        const int result = extractor.Extract();
        FUZZ_CHECK(result == 0 || result == -1);
        FUZZ_CHECK(loxtest::ListTree(parent, {target}).empty());
        FUZZ_CHECK(loxfuzz::OpenDescriptors() == descriptors);
    }
    FUZZ_CHECK(!loxtest::PathExists(parent));
    FUZZ_CHECK(loxtest::ListTree(work.path(), {}) == package_listing);
    return 0;
}
