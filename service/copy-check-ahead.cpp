#include "service/copy-check-ahead.h"

#include <future>
#include <system_error>

namespace {

CopyCheck CheckCopy(const ustring &app) {
    CopyComparer comparer(app);
    const auto compare = [&comparer](const std::string &path, const InstalledEntry &entry) {
        comparer.Check(path, entry);
    };
    CopyCheck check;
    check.recorded = VisitInstalledRecord(app, compare);
    check.entries = comparer.Entries();
    check.difference = comparer.Difference();
    return check;
}

struct CheckAhead {
    ustring app;
    std::future<CopyCheck> result;  // its end is waited for at exit, if no one took it
};

CheckAhead &TheCheckAhead() {
    static CheckAhead ahead;
    return ahead;
}

}  // namespace

void StartCopyCheckAhead(const ustring &app) {
    CheckAhead &ahead = TheCheckAhead();
    if (app.empty() || ahead.result.valid())
        return;
    try {
        ahead.result = std::async(std::launch::async, CheckCopy, app);
        ahead.app = app;
    } catch (const std::system_error &) {
        // No thread to spare: the run checks the copy itself.
    }
}

CopyCheck TakeCopyCheck(const ustring &app) {
    CheckAhead &ahead = TheCheckAhead();
    if (ahead.result.valid() && ahead.app == app)
        return ahead.result.get();
    return CheckCopy(app);
}
