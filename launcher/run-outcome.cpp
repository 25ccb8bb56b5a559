#include "launcher/run-outcome.h"

#include <unistd.h>

#include <QFile>
#include <QLocale>
#include <cerrno>
#include <cstring>

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
constexpr int kUpdateFailedText = 1070;
constexpr int kSpaceFiguresText = 1071;
constexpr int kFolderNotWritableText = 1072;
constexpr int kDetailsOnStderrText = 1073;
constexpr int kNoExecText = 1074;
constexpr int kStartErrorText = 1075;
constexpr int kStartAgainText = 1076;

QString Filled(int id, const QString &value) {
    return StrTable::LoadStr(id).arg(value, 0, QChar(' '));
}

QString AppName() {
    return StrTable::LoadStr(kAppNameText);
}

QString Size(long long bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString FolderName(const RunProblem &problem) {
    return QFile::decodeName(problem.folder.c_str());
}

// "cannot be written to" says all of a refusal; any other failure of the disk is named too.
QString WithSystemReason(const QString &text, int error_number) {
    if (error_number == 0 || error_number == EACCES || error_number == EPERM ||
        error_number == EROFS)
        return text;
    return text + " (" + QString::fromLocal8Bit(std::strerror(error_number)) + ")";
}

QString ReasonText(const RunProblem &detail) {
    switch (detail.kind) {
        case ClientProblem::NoDiskSpace:
            if (detail.needed <= 0)
                return StrTable::LoadStr(kDiskFullText);
            return StrTable::LoadStr(kSpaceFiguresText)
                .arg(FolderName(detail), Size(detail.needed), Size(detail.available));
        case ClientProblem::DamagedPackage:
            return StrTable::LoadStr(kPackageDamagedText);
        case ClientProblem::CannotWrite:
            return WithSystemReason(detail.folder.empty()
                                        ? StrTable::LoadStr(kCannotWriteText)
                                        : Filled(kFolderNotWritableText, FolderName(detail)),
                                    detail.error_number);
        case ClientProblem::UnfinishedReplacement:
            return StrTable::LoadStr(kUnfinishedText);
        case ClientProblem::IncompleteInstallation:
            return StrTable::LoadStr(kIncompleteText);
        case ClientProblem::None:
        case ClientProblem::ClientNotRunnable:
            break;
    }
    if (detail.noexec)
        return Filled(kNoExecText, FolderName(detail));
    if (detail.error_number != 0)
        return Filled(kStartErrorText, QString::fromLocal8Bit(std::strerror(detail.error_number)));
    return StrTable::LoadStr(kNotRunnableText);
}

bool IsInstallProblem(ClientProblem problem) {
    return problem == ClientProblem::NoDiskSpace || problem == ClientProblem::DamagedPackage ||
           problem == ClientProblem::CannotWrite ||
           problem == ClientProblem::IncompleteInstallation;
}

const char *OutcomeWord(const RunOutcome &outcome) {
    if (!outcome.upgrade_needed)
        return "up to date";
    if (outcome.install.failed())
        return outcome.first_install ? "installation failed" : "replacement failed";
    if (outcome.first_install)
        return "installed";
    return outcome.repair ? "per-user copy repaired" : "per-user copy replaced";
}

QString LogPath() {
    return UIPathManager::getInstance()->getPath("user_brenthor_loxen_path") + "/log/launcher.log";
}

}  // namespace

RunProblem WhyNoClient(const RunOutcome &outcome) {
    if (!outcome.start.failed() || outcome.start.kind == ClientProblem::UnfinishedReplacement)
        return outcome.start;
    return outcome.install.failed() ? outcome.install : outcome.start;
}

RunNotice NoticeFor(const RunOutcome &outcome, const QString &log_path, bool log_written) {
    RunNotice notice;
    RunProblem reason = WhyNoClient(outcome);
    if (reason.failed()) {
        const int summary = IsInstallProblem(reason.kind) ? kNotInstalledText : kNotStartedText;
        notice.summary = Filled(summary, AppName());
    } else {
        reason = outcome.install;
        notice.summary = Filled(kUpdateFailedText, AppName());
    }
    notice.body =
        ReasonText(reason) + '\n' + Filled(kStartAgainText, AppName()) + '\n' +
        (log_written ? Filled(kDetailsText, log_path) : StrTable::LoadStr(kDetailsOnStderrText));
    return notice;
}

void ReportRunOutcome(const RunOutcome &outcome) {
    if (!outcome.start.failed() && !outcome.install.failed())
        return;
    const QString log_path = LogPath();
    const bool log_written = ::access(QFile::encodeName(log_path).constData(), W_OK) == 0;
    const RunNotice notice = NoticeFor(outcome, log_path, log_written);
    ShowDesktopNotice(notice.summary, notice.body);
}

void LogRunOutcome(const RunOutcome &outcome) {
    LogRunEnd(OutcomeWord(outcome), WhyNoClient(outcome).kind);
}
