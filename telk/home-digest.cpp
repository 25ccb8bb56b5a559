#include "telk/home-digest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

QByteArray HomeDigest() {
    const QString home = QDir::homePath();
    const QString canonical = QFileInfo(home).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? home : canonical).toUtf8();
    return QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
}
