#include "launcher/desktop-notice.h"

#include <QFile>
#include <cstdio>

#include "common/log.h"
#include "common/module-loader.h"
#include "launcher/desktop-notice-bus.h"
#include "telk/uipathmanager.h"
#include "texts/strtable.h"

namespace {

constexpr int kAppNameText = 203;

// True when the notification service took the notice.
bool Notify(const QString &summary, const QString &body) {
    const QString root = UIPathManager::getInstance()->getPath("root_resource_path");
    // Never unloaded: the bus connection keeps a thread of its own until the process ends.
    const auto notify = reinterpret_cast<LoxenNotifyFunction>(LoadModuleEntry(
        QFile::encodeName(root + "/lib/" LOXEN_NOTICE_MODULE).constData(), "loxen_notify"));
    if (notify == nullptr) {
        LOX_LOG(NOTE, "launcher_debug", "desktop-notice", "telling the user on standard error");
        return false;
    }
    char why[512] = "";
    if (notify(StrTable::LoadStr(kAppNameText).toUtf8().constData(),
               QFile::encodeName(root + "/images/ico_72_nimbrel.png").constData(),
               summary.toUtf8().constData(), body.toUtf8().constData(), why, sizeof why) == 0)
        return true;
    LOX_LOG(NOTE, "launcher_debug", "desktop-notice", "%s, telling the user on standard error",
            why);
    return false;
}

}  // namespace

void ShowDesktopNotice(const QString &summary, const QString &body) {
    if (!Notify(summary, body))
        std::fprintf(stderr, "%s\n%s\n", summary.toLocal8Bit().constData(),
                     body.toLocal8Bit().constData());
}
