#include "platform/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
constexpr char kRaiseRequest[] = "raise\n";
constexpr int kPeerTimeoutMs = 2000;
} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name))
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

QString SingleInstance::SocketPath() const
{
    // The runtime folder is private to the user (mode 0700), so the socket is too.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QString() : folder + u'/' + m_name;
}

SingleInstance::Result SingleInstance::Claim()
{
    const QString path = SocketPath();
    if (path.isEmpty())
        return Result::Unavailable;

    // Two processes starting together must not both remove a stale socket and
    // then take each other's fresh one: the check runs under a lock file.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(kPeerTimeoutMs * 2))
        return Result::Unavailable;

    // No socket options: with them the server is made elsewhere and renamed
    // into place, which would replace a live peer's socket instead of failing.
    auto* server = new QLocalServer(this);
    if (!server->listen(path)) {
        QLocalSocket peer;
        peer.connectToServer(path);
        if (peer.waitForConnected(kPeerTimeoutMs)) {
            peer.write(kRaiseRequest);
            peer.waitForBytesWritten(kPeerTimeoutMs);
            peer.disconnectFromServer();
            delete server;
            return Result::AnotherRunning;
        }
        // Nobody answers: the socket was left by a process that did not end cleanly.
        QLocalServer::removeServer(path);
        if (!server->listen(path)) {
            delete server;
            return Result::Unavailable;
        }
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return Result::Primary;
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* peer = m_server->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        auto drain = [this, peer] {
            while (peer->canReadLine()) {
                if (peer->readLine() == kRaiseRequest)
                    emit raiseRequested();
            }
        };
        connect(peer, &QLocalSocket::readyRead, this, drain);
        drain();
    }
}
