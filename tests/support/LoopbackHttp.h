#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <utility>

namespace mv::test {

// One HTTP/1.1 exchange with a server on this machine, blocking, over a connection of its own that is closed
// afterwards. For fixtures that play a browser or drive a fake server from a test's thread.
struct LoopbackAnswer {
    int status = 0; // 0 when no answer could be read
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
};

LoopbackAnswer loopbackRequest(const QUrl& url, const QByteArray& method = "GET", const QByteArray& body = {},
    const QByteArray& contentType = "application/json");

// Whether nothing listens on `port` of 127.0.0.1 any more: a connection to it is refused.
bool connectionRefused(quint16 port);

} // namespace mv::test
