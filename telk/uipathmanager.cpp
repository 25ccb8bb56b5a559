#include "telk/uipathmanager.h"

#include <QReadLocker>
#include <QWriteLocker>

UIPathManager *UIPathManager::getInstance() {
    static UIPathManager instance;
    return &instance;
}

void UIPathManager::setPath(const QString &key, const QString &value) {
    QWriteLocker locker(&lock_);
    paths_.insert(key, value);
}

QString UIPathManager::getPath(const QString &key) const {
    QReadLocker locker(&lock_);
    return paths_.value(key);
}
