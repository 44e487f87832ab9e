#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

class QTcpSocket;

namespace mv {

struct SocketDeleter {
    void operator()(QTcpSocket* socket) const;
};
using UploadSocket = std::unique_ptr<QTcpSocket, SocketDeleter>;

// The connections an uploader's requests go over: an idle keep-alive connection to the request's origin
// when one is open, a new one otherwise (encrypted for https). Used on one thread.
class UploadConnections {
public:
    // An open idle connection, or a new socket not yet connected; `url`'s origin decides which.
    UploadSocket take(const QUrl& url);
    // Keeps a connection whose last answer ended cleanly for the next request to the same origin.
    void giveBack(const QUrl& url, UploadSocket socket);
    // Starts connecting a socket `take` made.
    static void connect(QTcpSocket& socket, const QUrl& url);

private:
    static QString originOf(const QUrl& url);

    struct Idle {
        QString origin;
        UploadSocket socket;
    };
    std::vector<Idle> m_idle;
};

} // namespace mv
