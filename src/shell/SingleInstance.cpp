#include "shell/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace mv {

namespace {

const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");

} // namespace

SingleInstance::SingleInstance(const QString& supportFolder, QObject* parent)
    : QObject(parent)
    , m_socketPath(QDir(supportFolder).filePath(QStringLiteral("instance.socket")))
    , m_lockPath(QDir(supportFolder).filePath(QStringLiteral("instance.lock")))
    , m_lock(m_lockPath)
{
    // The lock lives as long as the program: never taken over as stale while its holder runs.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::acquire()
{
    // A lock whose holder died is found stale by its process id and taken over.
    if (m_lock.tryLock()) {
        listen();
        return Claim::acquired;
    }
    const int failure = errno;
    // The lock file is there, but it only means another instance while its holder lives: on a read-only
    // folder a dead holder's lock cannot be taken over, and is no reason not to start.
    if (m_lock.error() == QLockFile::LockFailedError && holderIsAlive())
        return Claim::heldElsewhere;
    const QString reason = m_lock.error() == QLockFile::LockFailedError
        ? QStringLiteral("the lock of an earlier process could not be taken over")
        : QString::fromLocal8Bit(std::strerror(failure));
    m_problem = QStringLiteral("The lock “%1” could not be made: %2.")
                    .arg(QDir::toNativeSeparators(m_lockPath), reason);
    return Claim::unavailable;
}

bool SingleInstance::holderIsAlive() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    // A lock being written right now, or one held on another machine, cannot be judged: taken as held.
    if (!m_lock.getLockInfo(&pid, &host, &application) || pid <= 0)
        return true;
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void SingleInstance::listen()
{
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
    // Still the one instance without it; a later start then cannot reach this one and says so.
    if (!m_server->listen(m_socketPath))
        m_problem = QStringLiteral("The socket “%1” could not be made: %2.")
                        .arg(QDir::toNativeSeparators(m_socketPath), m_server->errorString());
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
