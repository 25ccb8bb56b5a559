#include "telk/instance-channel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int kConnectTimeoutMs = 1000;

// Empty when the desktop gives no runtime directory.
QString SocketPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QString();
    const QString home = QDir::homePath();
    const QString canonical = QFileInfo(home).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? home : canonical).toUtf8();
    const QByteArray digest =
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return runtime + "/loxen-launcher-" + QString::fromLatin1(digest) + ".sock";
}

}  // namespace

InstanceChannel::InstanceChannel() : QObject(nullptr) {
    connect(&server, &QLocalServer::newConnection, this, &InstanceChannel::Accept);
}

bool InstanceChannel::Listen() {
    const QString path = SocketPath();
    if (path.isEmpty())
        return false;
    // Only the launcher that holds the instance lock gets here: a socket left behind is stale.
    QLocalServer::removeServer(path);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    return server.listen(path);
}

// A connection is the whole request; nothing is read from it.
void InstanceChannel::Accept() {
    while (QLocalSocket *socket = server.nextPendingConnection()) {
        socket->disconnectFromServer();
        socket->deleteLater();
        emit sigRaise();
    }
}

bool InstanceChannel::AskToRaise() {
    const QString path = SocketPath();
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    // Wait until the running launcher has taken the connection, so the request is not lost.
    socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}
