#include "service/replace-journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/config.h"
#include "common/file-op.h"
#include "common/log.h"
#include "service/atomic-file.h"

namespace {

const char *const kStepNames[] = {"", "backup", "extract", "cleanup"};
constexpr int kHighestBackup = 9;

ReplaceStepObserver step_observer = nullptr;

ReplaceJournal::Step StepFromName(const std::string &name) {
    for (int step = ReplaceJournal::STEP_BACKUP; step <= ReplaceJournal::STEP_CLEANUP; ++step)
        if (name == kStepNames[step])
            return static_cast<ReplaceJournal::Step>(step);
    return ReplaceJournal::STEP_UNKNOWN;
}

// -1 (no backup) to 9, or false for anything else.
bool ParseBackupNumber(const std::string &text, int &backup) {
    if (text == "-1") {
        backup = -1;
        return true;
    }
    if (text.size() != 1 || text[0] < '0' || text[0] > '0' + kHighestBackup)
        return false;
    backup = text[0] - '0';
    return true;
}

}  // namespace

ReplaceJournal::ReplaceJournal(const ustring &app_path) : marker(MarkerPath(app_path)) {}

ustring ReplaceJournal::MarkerPath(const ustring &app_path) {
    return app_path + ".replacing";
}

bool ReplaceJournal::Exists() const {
    return IsFileExist(marker, false);
}

ReplaceJournal::Step ReplaceJournal::Read(int &backup) const {
    _FILE_INFO_tag info;
    Config record;
    if (FSStat(marker, info, false) != 0 || info.type != FS_TYPE_FILE ||
        record.read(marker.c_str()) != 0)
        return STEP_UNKNOWN;
    if (!ParseBackupNumber(record["backup"], backup))
        return STEP_UNKNOWN;
    Step step = StepFromName(record["step"]);
    if (step == STEP_BACKUP && backup < 0)
        return STEP_UNKNOWN;
    return step;
}

int ReplaceJournal::Record(Step step, int backup) {
    std::string text =
        std::string("step=") + kStepNames[step] + "\nbackup=" + std::to_string(backup) + "\n";
    if (WriteFileAtomically(marker, text) != 0) {
        // The caller tells the user why: a full disk must not read as a missing file.
        const int error = errno;
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "failed to record replacement step '%s' in '%s': %s", kStepNames[step],
                marker.c_str(), std::strerror(error));
        errno = error;
        return -1;
    }
    return 0;
}

int ReplaceJournal::Remove() {
    ::unlink(AtomicTemporaryPath(marker).c_str());
    if (FSRemove(marker, false) != 0) {
        const int error = errno;
        LOX_LOG(ERROR, "service_debug", "cloud-service", "failed to remove '%s': %s",
                marker.c_str(), std::strerror(error));
        errno = error;
        return -1;
    }
    FlushDirectory(FSParentPath(marker));
    return 0;
}

void ReplaceJournal::RemoveStrayTemporary() {
    const ustring stray = AtomicTemporaryPath(marker);
    if (Exists() || !IsFileExist(stray, false))
        return;
    if (::unlink(stray.c_str()) != 0)
        LOX_LOG(WARNING, "service_debug", "cloud-service", "failed to remove '%s': %s",
                stray.c_str(), std::strerror(errno));
    else
        FlushDirectory(FSParentPath(marker));
}

void SetReplaceStepObserver(ReplaceStepObserver observer) {
    step_observer = observer;
}

void NotifyReplaceStep(const char *point) {
    if (step_observer != nullptr)
        step_observer(point);
}
