#include "service/registry-path.h"

#include <QByteArray>
#include <QString>

#include "telk/uipathmanager.h"

ustring RegistryPath(const char *key) {
    QByteArray utf8 = UIPathManager::getInstance()->getPath(QString::fromLatin1(key)).toUtf8();
    return ustring(utf8.constData());
}

ustring PackageFilePath() {
    return RegistryPath("root_resource_path") + "/package/nimbrel.qar";
}
