#include "google/OAuthLoopbackServer.h"

#include "google/GoogleAuthError.h"
#include "platform/WorkerPool.h"

#include <QDeadlineTimer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <variant>
#include <vector>

#include <qcoro/qcorofuture.h>

namespace mv {

struct OAuthLoopbackServer::Shared {
    std::mutex lock;
    int listenFD = -1;
    int wakeFD = -1; // written by stop() to wake a waiting poll
    bool waiting = false; // the worker owns closing the descriptors while it waits
    bool stopped = false;

    // Closes both descriptors; the caller holds `lock`.
    void closeAll()
    {
        for (int* fd : { &listenFD, &wakeFD }) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }
};

namespace {

constexpr qsizetype readChunk = 4096;
constexpr qsizetype headerLimit = 16384;
constexpr std::size_t connectionLimit = 8;

const QString closedBeforeReply = QStringLiteral("The sign-in window was closed before Google replied.");

QByteArray pageWith(const char* heading, const char* text)
{
    return QByteArray(
               "<!doctype html><html><head><meta charset=\"utf-8\"><title>Marrowvale</title></head>\n"
               "<body style=\"font-family:-apple-system,Helvetica,Arial;padding:48px;text-align:center\">\n"
               "<h2>")
        + heading + "</h2><p>" + text + "</p>\n</body></html>";
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
}

using Outcome = std::variant<OAuthLoopbackServer::Callback, GoogleAuthError>;

// The first item of that name: none when absent, or when it has no value or an empty one.
std::optional<QString> firstValue(
    const QList<std::pair<QString, std::optional<QString>>>& items, QLatin1StringView name)
{
    for (const auto& [key, value] : items) {
        if (key == name)
            return value && !value->isEmpty() ? value : std::nullopt;
    }
    return std::nullopt;
}

} // namespace

namespace detail {

Outcome parseRedirectRequest(const QByteArray& collected)
{
    const QString text = QString::fromUtf8(collected);
    const QString requestLine = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).value(0);
    const QString target
        = requestLine.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(1, QStringLiteral("/"));
    const QUrl url(QStringLiteral("http://127.0.0.1") + target, QUrl::StrictMode);
    if (!url.isValid())
        return GoogleAuthError::browserDenied(QStringLiteral("The sign-in response could not be read."));

    // Percent-decoding only: a "+" in a value stays a "+".
    QList<std::pair<QString, std::optional<QString>>> items;
    for (const QString& piece : url.query(QUrl::FullyEncoded).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = piece.indexOf(QLatin1Char('='));
        const QString name
            = QUrl::fromPercentEncoding(piece.left(equals < 0 ? piece.size() : equals).toUtf8());
        std::optional<QString> value;
        if (equals >= 0)
            value = QUrl::fromPercentEncoding(piece.mid(equals + 1).toUtf8());
        items.append({ name, value });
    }
    if (const std::optional<QString> error = firstValue(items, QLatin1StringView("error")))
        return GoogleAuthError::browserDenied(*error);
    const std::optional<QString> code = firstValue(items, QLatin1StringView("code"));
    if (!code)
        return GoogleAuthError::browserDenied(QStringLiteral("Google did not return a code."));
    return OAuthLoopbackServer::Callback { *code,
        firstValue(items, QLatin1StringView("state")).value_or(QString()) };
}

} // namespace detail

namespace {

void answer(int fd, bool connected)
{
    const QByteArray page
        = connected ? OAuthLoopbackServer::connectedPage() : OAuthLoopbackServer::incompletePage();
    const QByteArray response = "HTTP/1.1 200 OK\r\n"
                                "Content-Type: text/html; charset=utf-8\r\n"
                                "Content-Length: "
        + QByteArray::number(page.size())
        + "\r\n"
          "Connection: close\r\n\r\n"
        + page;
    // A few hundred bytes always fit an empty socket buffer; a browser that went away must not raise SIGPIPE.
    [[maybe_unused]] const ssize_t written
        = ::send(fd, response.constData(), size_t(response.size()), MSG_NOSIGNAL);
}

struct Connection {
    int fd;
    QByteArray collected;
};

// Polls the listening socket, the wake-up descriptor and up to eight accepted connections under one deadline,
// and serves the first connection whose request header is complete (or has reached the size limit).
Outcome serve(int listenFD, int wakeFD, QDeadlineTimer deadline)
{
    std::vector<Connection> connections;
    const auto closeConnections = [&connections] {
        for (const Connection& connection : connections)
            ::close(connection.fd);
        connections.clear();
    };
    char buffer[readChunk];
    for (;;) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining == 0)
            break;
        std::vector<pollfd> polled { { wakeFD, POLLIN, 0 }, { listenFD, POLLIN, 0 } };
        for (const Connection& connection : connections)
            polled.push_back({ connection.fd, POLLIN, 0 });
        const int ready = ::poll(polled.data(), polled.size(), int(std::min<qint64>(remaining, 60'000)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || polled[0].revents != 0)
            break;
        // Connections first: one that delivered its request ends the wait.
        for (std::size_t i = connections.size(); i-- > 0;) {
            if (polled[i + 2].revents == 0)
                continue;
            Connection& connection = connections[i];
            const ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (got <= 0) {
                // A pre-connection that closed, or one that broke: it was not the redirect.
                ::close(connection.fd);
                connections.erase(connections.begin() + qsizetype(i));
                continue;
            }
            connection.collected.append(buffer, got);
            if (connection.collected.contains("\r\n\r\n") || connection.collected.size() >= headerLimit) {
                Outcome outcome = detail::parseRedirectRequest(connection.collected);
                answer(connection.fd, std::holds_alternative<OAuthLoopbackServer::Callback>(outcome));
                closeConnections();
                return outcome;
            }
        }
        if (polled[1].revents & (POLLERR | POLLNVAL))
            break;
        if (polled[1].revents & POLLIN) {
            const int accepted = ::accept4(listenFD, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (accepted < 0 && errno != EAGAIN && errno != EINTR && errno != ECONNABORTED)
                break;
            if (accepted >= 0) {
                if (connections.size() == connectionLimit) {
                    // The oldest has had the longest to speak.
                    ::close(connections.front().fd);
                    connections.erase(connections.begin());
                }
                connections.push_back({ accepted, {} });
            }
        }
    }
    closeConnections();
    return GoogleAuthError::browserDenied(closedBeforeReply);
}

} // namespace

OAuthLoopbackServer::OAuthLoopbackServer()
    : m_shared(std::make_shared<Shared>())
{
}

OAuthLoopbackServer::~OAuthLoopbackServer()
{
    stop();
}

QByteArray OAuthLoopbackServer::connectedPage()
{
    return pageWith("Marrowvale is connected", "You can close this tab and return to the app.");
}

QByteArray OAuthLoopbackServer::incompletePage()
{
    return pageWith(
        "Marrowvale sign-in did not complete", "Close this tab and return to Marrowvale to try again.");
}

quint16 OAuthLoopbackServer::start()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        throw GoogleAuthError::server(QStringLiteral("Socket creation failed."));
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        throw GoogleAuthError::server(QStringLiteral("Could not bind 127.0.0.1: ") + systemText(error));
    }
    if (::listen(fd, int(connectionLimit)) != 0) {
        const int error = errno;
        ::close(fd);
        throw GoogleAuthError::server(QStringLiteral("Could not listen: ") + systemText(error));
    }
    socklen_t length = sizeof address;
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || wake < 0) {
        ::close(fd);
        if (wake >= 0)
            ::close(wake);
        throw GoogleAuthError::server(QStringLiteral("Socket creation failed."));
    }
    const std::lock_guard lock(m_shared->lock);
    m_shared->listenFD = fd;
    m_shared->wakeFD = wake;
    m_port = ntohs(address.sin_port);
    return m_port;
}

void OAuthLoopbackServer::stop()
{
    const std::lock_guard lock(m_shared->lock);
    if (m_shared->stopped)
        return;
    m_shared->stopped = true;
    if (m_shared->waiting) {
        // The worker closes the descriptors once it is out of poll().
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_shared->wakeFD, &one, sizeof one);
        return;
    }
    m_shared->closeAll();
}

QCoro::Task<OAuthLoopbackServer::Callback> OAuthLoopbackServer::waitForCallback(
    std::chrono::milliseconds timeout)
{
    std::shared_ptr<Shared> shared = m_shared;
    {
        const std::lock_guard lock(shared->lock);
        if (shared->stopped || shared->waiting || shared->listenFD < 0)
            throw GoogleAuthError::browserDenied(closedBeforeReply);
        shared->waiting = true;
    }
    const QDeadlineTimer deadline(timeout);
    QFuture<Outcome> waiting = QtConcurrent::run(&WorkerPool::instance(), [shared, deadline]() -> Outcome {
        Outcome outcome = serve(shared->listenFD, shared->wakeFD, deadline);
        const std::lock_guard lock(shared->lock);
        shared->waiting = false;
        shared->stopped = true;
        shared->closeAll();
        return outcome;
    });
    Outcome outcome = co_await waiting;
    if (auto* error = std::get_if<GoogleAuthError>(&outcome))
        throw *error;
    co_return std::get<Callback>(std::move(outcome));
}

} // namespace mv
