#include "service/copy-check-ahead.h"

#include <future>
#include <system_error>

namespace {

CopyCheck CheckCopy(const ustring &app) {
    CopyCheck check;
    check.recorded = ReadInstalledRecord(app, check.record);
    if (check.recorded)
        check.difference = CompareCopy(app, check.record);
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
