#include "extractor/extractor.h"
#include "extractor/package-extractor.h"

namespace {

class ModuleExtractor final : public PackageExtractor {
public:
    int Check(int fd, const char *target, const Budget &budget, int stall_ms,
              CheckResult &result) override {
        Extractor extractor;
        extractor.SetPackage(fd);
        extractor.SetTarget(target);
        extractor.SetBudget(budget);
        extractor.SetStallLimit(stall_ms);
        return extractor.Check(result);
    }

    int CheckListing(int fd, const char *target, int stall_ms, const EntrySink &listed,
                     CheckResult &result) override {
        Extractor extractor;
        extractor.SetPackage(fd);
        extractor.SetTarget(target);
        extractor.SetStallLimit(stall_ms);
        extractor.SetEntrySink(listed);
        return extractor.Check(result);
    }

    int Extract(int fd, const char *target, int known_entries, const Budget &budget,
                Totals &totals) override {
        Extractor extractor;
        extractor.SetPackage(fd);
        extractor.SetTarget(target);
        extractor.SetKnownEntries(known_entries);
        extractor.SetBudget(budget);
        const int result = extractor.Extract();
        totals = extractor.GetTotals();
        return result;
    }
};

}  // namespace

extern "C" PackageExtractor *loxen_package_extractor() {
    static ModuleExtractor extractor;
    return &extractor;
}
