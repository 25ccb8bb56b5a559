#include "telk/instance-channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cstring>

#include "telk/home-digest.h"

namespace {

constexpr int kAnswerTimeoutMs = 1000;

// Empty when the desktop gives no runtime directory or the path does not fit a socket address.
QByteArray SocketPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QByteArray();
    const QByteArray path =
        QFile::encodeName(runtime) + "/loxen-launcher-" + HomeDigest() + ".sock";
    return path.size() < static_cast<int>(sizeof(sockaddr_un::sun_path)) ? path : QByteArray();
}

sockaddr_un AddressOf(const QByteArray &path) {
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    return address;
}

int UnixSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

}  // namespace

InstanceChannel::InstanceChannel() : QObject(nullptr) {}

InstanceChannel::~InstanceChannel() {
    if (listen_fd < 0)
        return;
    ::close(listen_fd);
    ::unlink(path.constData());
}

bool InstanceChannel::Listen() {
    if (listen_fd >= 0)
        return true;
    path = SocketPath();
    if (path.isEmpty() || (listen_fd = UnixSocket()) < 0)
        return false;
    // Only the launcher that holds the instance lock gets here: a socket left behind is stale.
    ::unlink(path.constData());
    const sockaddr_un address = AddressOf(path);
    // The runtime directory is the user's own; the mode says so once more.
    if (::bind(listen_fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(listen_fd, 8) != 0) {
        ::unlink(path.constData());  // nobody could reach it
        ::close(listen_fd);
        listen_fd = -1;
        return false;
    }
    notifier = new QSocketNotifier(listen_fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &InstanceChannel::Accept);
    return true;
}

// A connection is the whole request; closing it tells the asker it was heard.
void InstanceChannel::Accept() {
    const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    ::close(fd);
    emit sigRaise();
}

bool InstanceChannel::AskToRaise() {
    const QByteArray path = SocketPath();
    const int fd = path.isEmpty() ? -1 : UnixSocket();
    if (fd < 0)
        return false;
    const sockaddr_un address = AddressOf(path);
    bool heard = false;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0) {
        pollfd answer = {fd, POLLIN, 0};
        heard = ::poll(&answer, 1, kAnswerTimeoutMs) == 1;
    }
    ::close(fd);
    return heard;
}
