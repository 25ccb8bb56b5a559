// The folders of the client's earlier name: its aged application folder and its data.
#include <QDir>
#include <QString>
#include <cstring>

#include "common/file-op.h"
#include "common/log.h"
#include "service/cloud-service.h"
#include "service/registry-path.h"

namespace {

ustring NativeRegistryPath(const char *key) {
    QString native = QDir::toNativeSeparators(QString::fromUtf8(RegistryPath(key).c_str()));
    return ustring(native.toUtf8().constData());
}

// Removes everything in dir except the entry named keep; 0, or -1 when something stayed.
int RemoveAllBut(const ustring &dir, const char *keep) {
    DIR_HANDLE handle;
    if (FSOpenDir(dir, 0, handle) != 0)
        return -1;
    int ret = 0;
    int read;
    DIR_ENTRY entry;
    while ((read = FSReadDir(handle, entry)) > 0) {
        const char *name = entry.name.c_str();
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 ||
            std::strcmp(name, keep) == 0)
            continue;
        if (FSRemove(dir + "/" + entry.name, false) != 0)
            ret = -1;
    }
    FSCloseDir(handle);
    return read < 0 ? -1 : ret;
}

}  // namespace

void Service::RemoveAgedFolders() {
    ustring path = RegistryPath("user_nimbrel_path") + "/app";
    if (!IsFileExist(path, false))
        return;
    LOX_LOG(INFO, "service_debug", "cloud-service", "removing aged app folder %s", path.c_str());
    FSRemoveOwnTree(path);
}

void Service::MigrateService() {
    ustring legacy_root = NativeRegistryPath("user_nimbrel_path");
    ustring current_root = NativeRegistryPath("user_brenthor_loxen_path");
    if (!IsFileExist(current_root, true) && FSMKDir(current_root, true) != 0) {
        LOX_LOG(ERROR, "service_debug", "cloud-service", "Failed to create Brenthor Loxen folder");
        return;
    }
    ustring legacy_data = legacy_root + "/data";
    bool data_left_behind = false;
    if (IsFileExist(legacy_data, true) &&
        FSRename(legacy_data, current_root + "/data", true) != 0) {
        LOX_LOG(ERROR, "service_debug", "cloud-service",
                "Failed to move data to Brenthor Loxen folder");
        data_left_behind = true;
    }
    if (!IsFileExist(legacy_root, true))
        return;
    if (data_left_behind) {
        // The data that failed to move exists nowhere else.
        LOX_LOG(NOTE, "service_debug", "cloud-service", "keeping legacy data folder '%s'",
                legacy_data.c_str());
        // A linked root: only the link is ours to remove, never what it points to.
        _FILE_INFO_tag root;
        const bool linked = GetFileInfo(legacy_root, root) == 0 && root.type == FS_TYPE_LINK;
        if ((linked ? FSRemove(legacy_root, false) : RemoveAllBut(legacy_root, "data")) != 0)
            LOX_LOG(ERROR, "service_debug", "cloud-service",
                    "Failed to remove old .Nimbrel folder");
        return;
    }
    if (FSRemove(legacy_root, false) != 0)
        LOX_LOG(ERROR, "service_debug", "cloud-service", "Failed to remove old .Nimbrel folder");
}
