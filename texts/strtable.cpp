#include "texts/strtable.h"

#include <QByteArray>
#include <QCoreApplication>

namespace StrTable {

namespace {

const char *stab[NUM_STRING_IDS];
const char *ktab[NUM_STRING_IDS];

void SetRow(int id, const char *key, const char *text) {
    ktab[id] = key;
    stab[id] = text;
}

}  // namespace

// The table is shared by the whole client family; this program carries the rows it shows.
void InitStrTable() {
    SetRow(203, "app_name_loxen_client", "Brenthor Loxen Client");
    SetRow(497, "desc_nmbl_env_preparation_done_loxen", "%1 is ready.");
    SetRow(1052, "desc_nmbl_env_preparing_loxen", "%1 is initializing...");
    // What a run that leaves no working client tells the user.
    SetRow(1051, "notice_details_log_loxen", "Details: %1");
    SetRow(1053, "notice_not_installed_loxen", "%1 could not be installed.");
    SetRow(1054, "notice_not_started_loxen", "%1 could not be started.");
    SetRow(1055, "notice_reason_disk_full_loxen", "There is not enough disk space.");
    SetRow(1056, "notice_reason_package_damaged_loxen", "The installation package is damaged.");
    SetRow(1057, "notice_reason_cannot_write_loxen",
           "The installation folder cannot be written to.");
    SetRow(1058, "notice_reason_unfinished_update_loxen",
           "An interrupted update could not be completed.");
    SetRow(1059, "notice_reason_client_not_runnable_loxen", "The client program could not be run.");
    SetRow(1060, "notice_reason_incomplete_installation_loxen",
           "The installation of this program is incomplete. Please reinstall it.");
    SetRow(1070, "notice_update_not_installed_loxen",
           "The update of %1 could not be installed; the current version keeps running.");
    SetRow(1071, "notice_reason_disk_space_figures_loxen",
           "There is not enough disk space in %1: %2 is needed, %3 is free.");
    SetRow(1072, "notice_reason_folder_not_writable_loxen", "The folder %1 cannot be written to.");
    SetRow(1073, "notice_details_stderr_loxen",
           "No log could be written; the details went to standard error (run brenthor-loxen in "
           "a terminal to see them).");
    SetRow(1074, "notice_reason_noexec_loxen",
           "Programs cannot be run from %1: its file system is mounted noexec.");
    SetRow(1075, "notice_reason_start_error_loxen", "The client program could not be run: %1.");
    SetRow(1076, "notice_start_again_loxen", "Once this is fixed, start %1 again.");
}

QString LoadStr(int id) {
    // An id outside the table would read past the arrays; an empty row has nothing to translate.
    if (id < 0 || id >= NUM_STRING_IDS || stab[id] == nullptr)
        return QString();
    QString text = QCoreApplication::translate("global", stab[id], nullptr, -1);
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\\t"), QLatin1String("\t"));
    return text;
}

int LookupStrID(const QString &key) {
    const QByteArray wanted = key.toLocal8Bit();
    for (int id = 0; id < NUM_STRING_IDS; ++id) {
        if (ktab[id] != nullptr && qstricmp(wanted.constData(), ktab[id]) == 0)
            return id;
    }
    return -1;
}

}  // namespace StrTable
