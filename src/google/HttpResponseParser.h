#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>

#include <optional>

namespace mv {

// Reads one HTTP/1.1 answer from the bytes of a connection as they arrive: the status line, the headers and
// a body delimited by Content-Length, by chunked transfer coding or by the connection's close. Informational
// (1xx) answers are passed over.
class HttpResponseParser {
public:
    enum class State { head, body, done, failed, tooLarge };

    explicit HttpResponseParser(qint64 bodyLimit);

    void feed(QByteArrayView bytes);
    // The peer closed the connection: completes a body that runs to the close, and fails any other.
    void connectionClosed();

    State state() const { return m_state; }
    bool finished() const { return m_state == State::done; }
    // True once any byte of an answer arrived: a request that got none may be sent again.
    bool receivedAny() const { return m_receivedAny; }
    // The connection may carry the next request: the answer ended where its framing said, nothing followed
    // it and neither side asked to close.
    bool keepAlive() const;

    int status() const { return m_status; }
    std::optional<QByteArray> header(QByteArrayView name) const;
    const QByteArray& body() const { return m_body; }

private:
    enum class Framing { length, chunked, untilClose, none };

    void parse();
    bool parseHead();
    bool parseChunked();
    void appendBody(QByteArrayView bytes);
    void fail() { m_state = State::failed; }

    qint64 m_bodyLimit;
    State m_state = State::head;
    QByteArray m_buffer;
    qsizetype m_consumed = 0;
    bool m_receivedAny = false;
    int m_status = 0;
    int m_minorVersion = 1;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    Framing m_framing = Framing::none;
    qint64 m_remaining = 0; // of the body, or of the current chunk
    bool m_inChunkData = false;
    bool m_inTrailer = false;
    QByteArray m_body;
};

} // namespace mv
