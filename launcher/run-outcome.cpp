#include "launcher/run-outcome.h"

#include "launcher/desktop-notice.h"
#include "launcher/run-log.h"
#include "telk/uipathmanager.h"
#include "texts/strtable.h"

namespace {

constexpr int kAppNameText = 203;
constexpr int kNotInstalledText = 1053;
constexpr int kNotStartedText = 1054;
constexpr int kDiskFullText = 1055;
constexpr int kPackageDamagedText = 1056;
constexpr int kCannotWriteText = 1057;
constexpr int kUnfinishedText = 1058;
constexpr int kNotRunnableText = 1059;
constexpr int kIncompleteText = 1060;
constexpr int kDetailsText = 1051;

int ReasonText(ClientProblem problem) {
    switch (problem) {
        case ClientProblem::NoDiskSpace:
            return kDiskFullText;
        case ClientProblem::DamagedPackage:
            return kPackageDamagedText;
        case ClientProblem::CannotWrite:
            return kCannotWriteText;
        case ClientProblem::UnfinishedReplacement:
            return kUnfinishedText;
        case ClientProblem::IncompleteInstallation:
            return kIncompleteText;
        case ClientProblem::None:
        case ClientProblem::ClientNotRunnable:
            break;
    }
    return kNotRunnableText;
}

bool IsInstallProblem(ClientProblem problem) {
    return problem == ClientProblem::NoDiskSpace || problem == ClientProblem::DamagedPackage ||
           problem == ClientProblem::CannotWrite ||
           problem == ClientProblem::IncompleteInstallation;
}

const char *OutcomeWord(const RunOutcome &outcome) {
    if (!outcome.upgrade_needed)
        return "up to date";
    return outcome.upgrade_status == 0 ? "per-user copy replaced" : "replacement failed";
}

}  // namespace

RunNotice NoticeFor(ClientProblem problem, const QString &log_path) {
    const int summary = IsInstallProblem(problem) ? kNotInstalledText : kNotStartedText;
    RunNotice notice;
    notice.summary = StrTable::LoadStr(summary).arg(StrTable::LoadStr(kAppNameText), 0, QChar(' '));
    notice.body = StrTable::LoadStr(ReasonText(problem)) + '\n' +
                  StrTable::LoadStr(kDetailsText).arg(log_path, 0, QChar(' '));
    return notice;
}

void ReportRunOutcome(const RunOutcome &outcome) {
    LogRunEnd(OutcomeWord(outcome), outcome.problem);
    if (outcome.problem == ClientProblem::None)
        return;
    const QString log_path =
        UIPathManager::getInstance()->getPath("user_brenthor_loxen_path") + "/log/launcher.log";
    const RunNotice notice = NoticeFor(outcome.problem, log_path);
    ShowDesktopNotice(notice.summary, notice.body);
}
