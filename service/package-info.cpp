#include "service/package-info.h"

#include <QByteArray>
#include <QDir>

namespace {

const char kInstallRoot[] = "/opt/Brenthor/BrenthorLoxen";

}  // namespace

PackageInfo::PackageInfo()
    : images_path(ustring(kInstallRoot) + "/images"),
      user_path(ustring(QDir::homePath().toUtf8().constData()) + "/.BrenthorLoxen"),
      debug_conf_path(ustring(kInstallRoot) + "/log/launcher.debug"),
      package_path(ustring(kInstallRoot) + "/package/nimbrel.qar"),
      conf_path(ustring(kInstallRoot) + "/conf") {}
