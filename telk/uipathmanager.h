#pragma once

#include <QHash>
#include <QReadWriteLock>
#include <QString>

// The process-wide table of named paths. Start-up writes it; any thread may read it.
class UIPathManager {
public:
    static UIPathManager *getInstance();

    void setPath(const QString &key, const QString &value);
    // The empty string for a key that was never set.
    QString getPath(const QString &key) const;

    UIPathManager(const UIPathManager &) = delete;
    UIPathManager &operator=(const UIPathManager &) = delete;

private:
    UIPathManager() = default;

    mutable QReadWriteLock lock_;
    QHash<QString, QString> paths_;
};
