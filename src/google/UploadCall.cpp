#include "google/UploadCall.h"

#include "google/UploadConnections.h"

#include <QSslSocket>
#include <QTcpSocket>

namespace mv {

namespace {

// A streamed body goes to the socket this much at a time, and no more while as much is still unsent.
constexpr qint64 devicePiece = 256 * 1024;
constexpr qint64 unsentLimit = 1024 * 1024;

bool isReady(const QTcpSocket& socket)
{
    if (socket.state() != QAbstractSocket::ConnectedState)
        return false;
    const auto* secure = qobject_cast<const QSslSocket*>(&socket);
    return !secure || secure->isEncrypted();
}

} // namespace

UploadCall::UploadCall(QTcpSocket& socket, QUrl url, QByteArray head, QByteArray body, QIODevice* device,
    qint64 bodySize, std::chrono::milliseconds timeout, std::function<void(qint64)> onSent,
    qint64 answerLimit)
    : m_socket(&socket)
    , m_url(std::move(url))
    , m_head(std::move(head))
    , m_body(std::move(body))
    , m_device(device)
    , m_bodySize(device ? bodySize : m_body.size())
    , m_onSent(std::move(onSent))
    , m_answer(answerLimit)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(timeout);
    QObject::connect(&m_quiet, &QTimer::timeout, this, [this] { finish(Ending::timedOut); });
}

void UploadCall::start()
{
    QObject::connect(m_socket, &QTcpSocket::bytesWritten, this, &UploadCall::onBytesWritten);
    QObject::connect(m_socket, &QTcpSocket::readyRead, this, &UploadCall::onReadyRead);
    QObject::connect(m_socket, &QTcpSocket::disconnected, this, &UploadCall::onClosed);
    QObject::connect(m_socket, &QTcpSocket::errorOccurred, this, &UploadCall::onError);
    m_quiet.start();
    if (isReady(*m_socket)) {
        send();
        return;
    }
    if (auto* secure = qobject_cast<QSslSocket*>(m_socket))
        QObject::connect(secure, &QSslSocket::encrypted, this, &UploadCall::send);
    else
        QObject::connect(m_socket, &QTcpSocket::connected, this, &UploadCall::send);
    UploadConnections::connect(*m_socket, m_url);
}

void UploadCall::cancel()
{
    finish(Ending::cancelled);
}

bool UploadCall::reusable() const
{
    return m_ending == Ending::answered && m_answer.keepAlive() && m_queued == m_bodySize
        && m_socket->bytesToWrite() == 0 && m_socket->state() == QAbstractSocket::ConnectedState;
}

void UploadCall::send()
{
    m_quiet.start();
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->write(m_head);
    if (m_device) {
        fillFromDevice();
        return;
    }
    m_socket->write(m_body);
    m_queued = m_body.size();
}

void UploadCall::fillFromDevice()
{
    while (!m_done && m_queued < m_bodySize && m_socket->bytesToWrite() < unsentLimit) {
        const QByteArray piece = m_device->read(std::min(devicePiece, m_bodySize - m_queued));
        if (piece.isEmpty()) {
            finish(Ending::sourceShort);
            return;
        }
        m_socket->write(piece);
        m_queued += piece.size();
    }
}

void UploadCall::onBytesWritten(qint64 bytes)
{
    m_quiet.start();
    m_written += bytes;
    if (m_onSent && m_written > m_head.size())
        m_onSent(std::min(m_written - m_head.size(), m_bodySize));
    if (m_device)
        fillFromDevice();
}

void UploadCall::onReadyRead()
{
    m_quiet.start();
    m_answer.feed(m_socket->readAll());
    switch (m_answer.state()) {
    case HttpResponseParser::State::done:
        finish(Ending::answered);
        break;
    case HttpResponseParser::State::tooLarge:
        finish(Ending::tooLarge);
        break;
    case HttpResponseParser::State::failed:
        finish(Ending::malformed);
        break;
    case HttpResponseParser::State::head:
    case HttpResponseParser::State::body:
        break;
    }
}

void UploadCall::onClosed()
{
    if (m_done)
        return;
    m_answer.feed(m_socket->readAll());
    m_answer.connectionClosed();
    if (m_answer.finished())
        finish(Ending::answered);
    else if (m_answer.state() == HttpResponseParser::State::tooLarge)
        finish(Ending::tooLarge);
    else
        finish(m_answer.receivedAny() ? Ending::broken : Ending::noAnswer);
}

void UploadCall::onError(QAbstractSocket::SocketError error)
{
    if (m_done)
        return;
    m_socketError = error;
    // A close or a reset of a connection that was up: what arrived decides. Anything else (refused, not
    // found, a failed handshake) never reached the server.
    if (error == QAbstractSocket::RemoteHostClosedError || error == QAbstractSocket::NetworkError) {
        onClosed();
        return;
    }
    finish(Ending::broken);
}

void UploadCall::finish(Ending ending)
{
    if (m_done)
        return;
    m_done = true;
    m_ending = ending;
    m_quiet.stop();
    QObject::disconnect(m_socket, nullptr, this, nullptr);
    if (ending != Ending::answered)
        m_socket->abort();
    QMetaObject::invokeMethod(this, &UploadCall::finished, Qt::QueuedConnection);
}

} // namespace mv
