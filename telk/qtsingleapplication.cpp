#include "telk/qtsingleapplication.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>
#include <cerrno>
#include <cstring>

#include "common/log.h"
#include "telk/home-digest.h"

namespace {

// The per-user root that the lock guards; the launcher installs below it.
const char kUserRoot[] = "/.BrenthorLoxen";
const char kLockName[] = "/launcher.lock";

// A directory only this user can write, so that nobody else can plant or hold the lock file.
bool IsPrivateDirectory(const QByteArray &path) {
    struct stat st;
    if (lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 0077) == 0;
}

// The per-user runtime directory; a private folder in the temporary directory where the
// desktop gives none.
QByteArray RuntimeLockDirectory() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && IsPrivateDirectory(QFile::encodeName(runtime)))
        return QFile::encodeName(runtime);

    const QByteArray fallback =
        QFile::encodeName(QDir::tempPath() + QStringLiteral("/loxen-runtime-%1").arg(geteuid()));
    if (mkdir(fallback.constData(), 0700) != 0 && errno != EEXIST) {
        LOX_LOG(WARNING, "launcher_debug", "qtsingleapplication",
                "single instance: cannot create '%s': %s", fallback.constData(), strerror(errno));
        return QByteArray();
    }
    if (!IsPrivateDirectory(fallback)) {
        LOX_LOG(WARNING, "launcher_debug", "qtsingleapplication",
                "single instance: '%s' is not a private directory of this user",
                fallback.constData());
        return QByteArray();
    }
    return fallback;
}

// One lock per home directory, however the path to it is spelled.
QByteArray RuntimeLockName() {
    return QByteArrayLiteral("/loxen-launcher-") + HomeDigest() + QByteArrayLiteral(".lock");
}

// Opens a lock file of this user; -1 with errno set otherwise. Never through a link, and
// close-on-exec: a client started by the launcher must not inherit, and so keep, the lock.
int OpenLockFile(const QByteArray &path) {
    const int fd = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st;
    if (fd < 0 || (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid()))
        return fd;
    close(fd);
    errno = EPERM;
    return -1;
}

// The lock inside the per-user root guards that tree whatever runtime directory a session has;
// -1 when the home cannot hold it.
int OpenHomeLock(const QByteArray &root, const QByteArray &path) {
    if (mkdir(root.constData(), 0777) != 0 && errno != EEXIST)
        return -1;
    return OpenLockFile(path);
}

int OpenRuntimeLock(const QByteArray &home_lock, int error) {
    const QByteArray directory = RuntimeLockDirectory();
    LOX_LOG(WARNING, "launcher_debug", "qtsingleapplication",
            "single instance: the home cannot hold the lock '%s' (%s), locking in '%s' instead: "
            "launchers of this home with another runtime folder may run at once",
            home_lock.constData(), strerror(error), directory.constData());
    if (directory.isEmpty())
        return -1;
    const QByteArray path = directory + RuntimeLockName();
    const int fd = OpenLockFile(path);
    if (fd < 0)
        LOX_LOG(WARNING, "launcher_debug", "qtsingleapplication",
                "single instance: cannot open '%s': %s", path.constData(), strerror(errno));
    return fd;
}

// 0 when this process now holds the lock, 1 when another does, -1 on failure with errno set.
int TryLock(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return 0;
    return errno == EWOULDBLOCK ? 1 : -1;
}

}  // namespace

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool GUIenabled)
    : QApplication(argc, argv) {
    Q_UNUSED(GUIenabled);
}

QtSingleApplication::~QtSingleApplication() {
    // The file stays: removing it would let a starting launcher lock an unlinked copy.
    if (lock_fd_ >= 0)
        close(lock_fd_);
}

bool QtSingleApplication::isRunning() const {
    if (!claimed_)
        Claim();
    return another_running_;
}

void QtSingleApplication::Claim() const {
    claimed_ = true;
    const QByteArray root = QFile::encodeName(QDir::homePath()) + kUserRoot;
    const QByteArray home_lock = root + kLockName;
    int fd = OpenHomeLock(root, home_lock);
    int state = fd < 0 ? -1 : TryLock(fd);
    if (state < 0) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        fd = OpenRuntimeLock(home_lock, error);
        state = fd < 0 ? -1 : TryLock(fd);
        if (fd >= 0 && state < 0)
            LOX_LOG(WARNING, "launcher_debug", "qtsingleapplication",
                    "single instance: cannot lock the runtime lock file: %s", strerror(errno));
    }
    if (state == 0) {
        lock_fd_ = fd;
        return;
    }
    // Without a lock at all, better a second launcher than none.
    another_running_ = state == 1;
    if (fd >= 0)
        close(fd);
}
