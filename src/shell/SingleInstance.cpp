#include "shell/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>

namespace mv {

namespace {

const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");

} // namespace

SingleInstance::SingleInstance(const QString& supportFolder, QObject* parent)
    : QObject(parent)
    , m_socketPath(QDir(supportFolder).filePath(QStringLiteral("instance.socket")))
    , m_lock(QDir(supportFolder).filePath(QStringLiteral("instance.lock")))
{
    // The lock lives as long as the program: never taken over as stale while its holder runs.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    // A lock whose holder died is found stale by its process id and taken over.
    if (!m_lock.tryLock())
        return false;
    // The socket of a program that ended without cleaning up would stop the new one from listening.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(reopenRequest.trimmed())) {
                    socket->write("ok\n");
                    socket->flush();
                    Q_EMIT reopenRequested();
                }
            });
        }
    });
    return m_server->listen(m_socketPath);
}

bool SingleInstance::askToReopen(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(reopenRequest);
    if (!socket.waitForBytesWritten(timeoutMs) || !socket.waitForReadyRead(timeoutMs))
        return false;
    return socket.readAll().startsWith("ok");
}

} // namespace mv
