#pragma once

#include "google/HttpResponseParser.h"

#include <QAbstractSocket>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>

class QIODevice;
class QTcpSocket;

namespace mv {

// One HTTP/1.1 request and its answer over a connection the caller owns. The request's head goes out
// whole and its body in large writes, with Nagle's algorithm off: on a fast link a body sent piecemeal
// waits on the receiver's delayed acknowledgements. `finished` comes from the event loop, never from
// inside a socket signal, so the caller may then delete the connection.
class UploadCall final : public QObject {
    Q_OBJECT

public:
    enum class Ending {
        answered,
        noAnswer, // the connection closed before any byte of an answer: the request may be sent again
        broken, // the connection failed part way
        malformed,
        tooLarge,
        timedOut,
        cancelled,
        sourceShort, // the body's device ended before its announced length
    };

    // `body` is sent when `device` is null; otherwise `bodySize` bytes are read from `device` while sending.
    UploadCall(QTcpSocket& socket, QUrl url, QByteArray head, QByteArray body, QIODevice* device,
        qint64 bodySize, std::chrono::milliseconds timeout, std::function<void(qint64)> onSent,
        qint64 answerLimit);

    void start();
    // Ends the call as cancelled; the connection is then of no further use.
    void cancel();

    Ending ending() const { return m_ending; }
    const HttpResponseParser& answer() const { return m_answer; }
    QAbstractSocket::SocketError socketError() const { return m_socketError; }
    // The connection may carry the next request.
    bool reusable() const;

Q_SIGNALS:
    void finished();

private:
    void send();
    void fillFromDevice();
    void onBytesWritten(qint64 bytes);
    void onReadyRead();
    void onClosed();
    void onError(QAbstractSocket::SocketError error);
    void finish(Ending ending);

    QTcpSocket* m_socket;
    QUrl m_url;
    QByteArray m_head;
    QByteArray m_body;
    QIODevice* m_device;
    qint64 m_bodySize;
    qint64 m_queued = 0; // of the body, handed to the socket
    qint64 m_written = 0; // head and body, handed to the system
    std::function<void(qint64)> m_onSent;
    HttpResponseParser m_answer;
    QTimer m_quiet;
    QAbstractSocket::SocketError m_socketError = QAbstractSocket::UnknownSocketError;
    Ending m_ending = Ending::broken;
    bool m_done = false;
};

} // namespace mv
