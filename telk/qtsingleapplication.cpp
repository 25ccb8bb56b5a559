#include "telk/qtsingleapplication.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>
#include <cerrno>
#include <cstring>

namespace {

// A directory only this user can write, so that nobody else can plant or hold the lock file.
bool IsPrivateDirectory(const QByteArray &path) {
    struct stat st;
    if (lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 0077) == 0;
}

// The per-user runtime directory; a private folder in the temporary directory where the
// desktop gives none.
QByteArray LockDirectory() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && IsPrivateDirectory(QFile::encodeName(runtime)))
        return QFile::encodeName(runtime);

    const QByteArray fallback =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/loxen-runtime-%1").arg(geteuid()));
    if (mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST) {
        qWarning("single instance: cannot create '%s': %s", fallback.constData(), strerror(errno));
        return QByteArray();
    }
    if (!IsPrivateDirectory(fallback)) {
        qWarning("single instance: '%s' is not a private directory of this user",
                 fallback.constData());
        return QByteArray();
    }
    return fallback;
}

// One lock per home directory, however the path to it is spelled.
QByteArray LockFileName() {
    const QString home = QDir::homePath();
    const QString canonical = QFileInfo(home).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? home : canonical).toUtf8();
    const QByteArray digest =
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return QByteArrayLiteral("loxen-launcher-") + digest + QByteArrayLiteral(".lock");
}

}  // namespace

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool GUIenabled)
    : QApplication(argc, argv) {
    Q_UNUSED(GUIenabled);
    const QByteArray directory = LockDirectory();
    if (directory.isEmpty())
        return;  // no safe place for the lock: better a second launcher than none at all

    const QByteArray path = directory + '/' + LockFileName();
    // Close-on-exec: a client started by the launcher must not inherit, and so keep, the lock.
    lock_fd_ = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_fd_ < 0) {
        qWarning("single instance: cannot open '%s': %s", path.constData(), strerror(errno));
        return;
    }
    if (flock(lock_fd_, LOCK_EX | LOCK_NB) == 0)
        return;

    const int error = errno;
    if (error == EWOULDBLOCK)
        another_running_ = true;
    else
        qWarning("single instance: cannot lock '%s': %s", path.constData(), strerror(error));
    close(lock_fd_);
    lock_fd_ = -1;
}

QtSingleApplication::~QtSingleApplication() {
    // The file stays: removing it would let a starting launcher lock an unlinked copy.
    if (lock_fd_ >= 0)
        close(lock_fd_);
}

bool QtSingleApplication::isRunning() const {
    return another_running_;
}
