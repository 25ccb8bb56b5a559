#include "extractor/extractor.h"
#include "extractor/package-extractor.h"

namespace {

class ModuleExtractor final : public PackageExtractor {
public:
    int Extract(const char *source, const char *target, Totals &totals) override {
        Extractor extractor;
        extractor.SetSource(source);
        extractor.SetTarget(target);
        const int result = extractor.Extract();
        totals = extractor.GetTotals();
        return result;
    }

    long long UnpackedBytes(const char *source, long long block_size) override {
        Extractor extractor;
        extractor.SetSource(source);
        return extractor.UnpackedBytes(block_size);
    }
};

}  // namespace

extern "C" PackageExtractor *loxen_package_extractor() {
    static ModuleExtractor extractor;
    return &extractor;
}
