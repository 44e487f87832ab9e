#include "LoopbackHttp.h"

#include <QDeadlineTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mv::test {

QByteArray LoopbackAnswer::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

LoopbackAnswer loopbackRequest(
    const QUrl& url, const QByteArray& method, const QByteArray& body, const QByteArray& contentType)
{
    LoopbackAnswer answer;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(url.port(80)));
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return answer;
    }
    QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    QByteArray request = method + ' ' + target + " HTTP/1.1\r\nHost: " + url.authority().toUtf8()
        + "\r\nConnection: close\r\n";
    if (!body.isEmpty() || method != "GET")
        request += "Content-Type: " + contentType + "\r\nContent-Length: " + QByteArray::number(body.size())
            + "\r\n";
    request += "\r\n" + body;
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t wrote
            = ::send(fd, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (wrote <= 0)
            break;
        sent += wrote;
    }
    QByteArray received;
    const QDeadlineTimer deadline(std::chrono::seconds(60));
    char buffer[8192];
    while (!deadline.hasExpired()) {
        pollfd polled { fd, POLLIN, 0 };
        if (::poll(&polled, 1, int(deadline.remainingTime())) <= 0 && errno != EINTR)
            break;
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        received.append(buffer, got);
    }
    ::close(fd);

    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0)
        return answer;
    const QList<QByteArray> lines = received.left(end).split('\n');
    answer.status = lines.value(0).split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            answer.headers.append(
                { lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed() });
    }
    answer.body = received.mid(end + 4);
    return answer;
}

bool connectionRefused(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool refused = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        && errno == ECONNREFUSED;
    ::close(fd);
    return refused;
}

} // namespace mv::test
