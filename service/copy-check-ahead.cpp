#include "service/copy-check-ahead.h"

#include <future>
#include <system_error>
#include <vector>

namespace {

// Two threads share the lstat of a large copy, which is most of an up-to-date run's own work.
constexpr int kShares = 2;

// One share of the check: the entries whose place in the record is share modulo shares.
struct ShareCheck {
    CopyCheck check;
    long long first_at = -1;  // the place of its first difference
};

ShareCheck CheckShare(const ustring &app, int share, int shares) {
    CopyComparer comparer(app);
    ShareCheck part;
    long long at = 0;
    const auto compare = [&](const std::string &path, const InstalledEntry &entry) {
        if (at++ % shares != share)
            return;
        const bool clean = comparer.Difference().count == 0;
        comparer.Check(path, entry);
        if (clean && comparer.Difference().count > 0)
            part.first_at = at - 1;
    };
    part.check.recorded = VisitInstalledRecord(app, compare);
    part.check.entries = at;
    part.check.difference = comparer.Difference();
    return part;
}

// The shares as one check: the first difference is the one first in the record.
CopyCheck Joined(std::vector<ShareCheck> parts) {
    CopyCheck joined = parts.front().check;
    const ShareCheck *first = nullptr;
    joined.difference.count = 0;
    for (const ShareCheck &part : parts) {
        joined.recorded = joined.recorded && part.check.recorded;
        joined.difference.count += part.check.difference.count;
        if (part.first_at >= 0 && (!first || part.first_at < first->first_at))
            first = &part;
    }
    if (first) {
        joined.difference.first = first->check.difference.first;
        joined.difference.what = first->check.difference.what;
    }
    return joined;
}

struct CheckAhead {
    ustring app;
    std::vector<std::future<ShareCheck>> shares;  // their ends are waited for at exit
};

CheckAhead &TheCheckAhead() {
    static CheckAhead ahead;
    return ahead;
}

}  // namespace

void StartCopyCheckAhead(const ustring &app) {
    CheckAhead &ahead = TheCheckAhead();
    if (app.empty() || !ahead.shares.empty())
        return;
    try {
        for (int share = 0; share < kShares; ++share)
            ahead.shares.push_back(std::async(std::launch::async, CheckShare, app, share, kShares));
        ahead.app = app;
    } catch (const std::system_error &) {
        // No thread to spare: the run checks the copy itself.
        ahead.shares.clear();
    }
}

CopyCheck TakeCopyCheck(const ustring &app) {
    CheckAhead &ahead = TheCheckAhead();
    if (ahead.shares.empty() || ahead.app != app || !ahead.shares.front().valid())
        return CheckShare(app, 0, 1).check;
    std::vector<ShareCheck> parts;
    for (auto &share : ahead.shares) parts.push_back(share.get());
    return Joined(std::move(parts));
}
