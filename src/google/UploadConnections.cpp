#include "google/UploadConnections.h"

#include <QSslSocket>

#include <algorithm>

namespace mv {

namespace {

// More than the uploads a run keeps in flight; beyond it the oldest idle connection is closed.
constexpr std::size_t idleLimit = 8;

bool isSecure(const QUrl& url)
{
    return url.scheme() == QLatin1String("https");
}

} // namespace

void SocketDeleter::operator()(QTcpSocket* socket) const
{
    // Its own signals may still be on the stack.
    socket->deleteLater();
}

QString UploadConnections::originOf(const QUrl& url)
{
    return url.scheme() + QLatin1String("://") + url.host(QUrl::FullyEncoded) + QLatin1Char(':')
        + QString::number(url.port(isSecure(url) ? 443 : 80));
}

UploadSocket UploadConnections::take(const QUrl& url)
{
    const QString origin = originOf(url);
    while (true) {
        const auto found = std::find_if(
            m_idle.rbegin(), m_idle.rend(), [&](const Idle& idle) { return idle.origin == origin; });
        if (found == m_idle.rend())
            break;
        UploadSocket socket = std::move(found->socket);
        m_idle.erase(std::next(found).base());
        // One the server closed, or that holds bytes nobody asked for, is of no use.
        if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesAvailable() == 0)
            return socket;
    }
    if (isSecure(url))
        return UploadSocket(new QSslSocket);
    return UploadSocket(new QTcpSocket);
}

void UploadConnections::giveBack(const QUrl& url, UploadSocket socket)
{
    if (m_idle.size() >= idleLimit)
        m_idle.erase(m_idle.begin());
    m_idle.push_back(Idle { originOf(url), std::move(socket) });
}

void UploadConnections::connect(QTcpSocket& socket, const QUrl& url)
{
    const quint16 port = quint16(url.port(isSecure(url) ? 443 : 80));
    if (auto* secure = qobject_cast<QSslSocket*>(&socket))
        secure->connectToHostEncrypted(url.host(), port);
    else
        socket.connectToHost(url.host(), port);
}

} // namespace mv
