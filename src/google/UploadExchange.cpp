#include "google/UploadExchange.h"

#include "google/GoogleAuthError.h"
#include "google/TransferTask.h"
#include "google/UploadCall.h"
#include "google/UploadConnections.h"
#include "model/FileSystemError.h"

#include <QIODevice>
#include <QPointer>
#include <QTcpSocket>
#include <QThread>

#include <mutex>

#include <qcoro/qcorosignal.h>

namespace mv {

namespace {

constexpr qint64 answerLimit = 1024 * 1024;

// The exchange as a run controller sees it: a request under way cannot be held, so pausing leaves it
// running; cancelling ends it, at once on its own thread, or before it starts.
class ExchangeTransfer final : public TransferTask {
public:
    void suspend() override { }
    void resume() override { }
    void cancel() override
    {
        const std::lock_guard lock(m_mutex);
        m_cancelled = true;
        const QPointer<UploadCall> call = m_call;
        if (!call)
            return;
        if (call->thread() == QThread::currentThread())
            call->cancel();
        else
            QMetaObject::invokeMethod(call, &UploadCall::cancel, Qt::QueuedConnection);
    }

    // The call now under way, or null between attempts; false when the exchange was cancelled already.
    bool setCall(UploadCall* call)
    {
        const std::lock_guard lock(m_mutex);
        m_call = call;
        return !m_cancelled;
    }

private:
    std::mutex m_mutex;
    QPointer<UploadCall> m_call;
    bool m_cancelled = false;
};

GoogleTransportError stopped()
{
    return GoogleTransportError(QStringLiteral("The upload to Google Drive was stopped."), true);
}

QString failureText(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the connection was refused");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("the server's name could not be found");
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return QStringLiteral("the secure connection could not be set up");
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return QStringLiteral("the proxy refused the connection");
    default:
        return QStringLiteral("the connection was lost");
    }
}

// The request line, Host and the request's raw headers; the body's length is the exchange's to state.
QByteArray headOf(const QNetworkRequest& request, const QByteArray& verb, qint64 bodySize)
{
    const QUrl& url = request.url();
    QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    const int defaultPort = url.scheme() == QLatin1String("https") ? 443 : 80;
    if (url.port(defaultPort) != defaultPort)
        host += ':' + QByteArray::number(url.port());
    QByteArray head = verb + ' ' + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const QByteArray& name : request.rawHeaderList()) {
        const QByteArray lower = name.toLower();
        if (lower == "host" || lower == "content-length" || lower == "connection"
            || lower == "transfer-encoding")
            continue;
        head += name + ": " + request.rawHeader(name) + "\r\n";
    }
    head += "Content-Length: " + QByteArray::number(bodySize) + "\r\n\r\n";
    return head;
}

std::optional<QString> headerText(const HttpResponseParser& answer, QByteArrayView name)
{
    const auto value = answer.header(name);
    if (!value)
        return std::nullopt;
    return QString::fromLatin1(*value);
}

} // namespace

QCoro::Task<UploadAnswer> UploadExchange::send(
    QNetworkRequest request, QByteArray verb, QByteArray body) const
{
    return exchange(std::move(request), std::move(verb), std::move(body), nullptr);
}

QCoro::Task<UploadAnswer> UploadExchange::send(
    QNetworkRequest request, QByteArray verb, QIODevice* body) const
{
    return exchange(std::move(request), std::move(verb), QByteArray(), body);
}

QCoro::Task<UploadAnswer> UploadExchange::exchange(
    QNetworkRequest request, QByteArray verb, QByteArray body, QIODevice* device) const
{
    const qint64 bodySize
        = device ? request.header(QNetworkRequest::ContentLengthHeader).toLongLong() : body.size();
    const qint64 start = device ? device->pos() : 0;
    const QByteArray head = headOf(request, verb, bodySize);
    const auto transfer = std::make_shared<ExchangeTransfer>();
    if (onStarted)
        onStarted(transfer);
    for (int attempt = 1;; ++attempt) {
        UploadSocket socket = connections->take(request.url());
        UploadCall call(*socket, request.url(), head, body, device, bodySize, timeout, onSent, answerLimit);
        if (!transfer->setCall(&call))
            throw stopped();
        call.start();
        auto finishing = qCoro(&call, &UploadCall::finished);
        co_await finishing;
        transfer->setCall(nullptr);
        const HttpResponseParser& answer = call.answer();
        switch (call.ending()) {
        case UploadCall::Ending::answered: {
            UploadAnswer result { answer.status(), answer.body(), headerText(answer, "Location"),
                headerText(answer, "Range") };
            if (call.reusable())
                connections->giveBack(request.url(), std::move(socket));
            co_return result;
        }
        case UploadCall::Ending::noAnswer:
            if (attempt == 1 && (!device || device->seek(start)))
                continue;
            throw GoogleTransportError(
                QStringLiteral("Could not reach Google: the connection closed before an answer arrived."),
                true);
        case UploadCall::Ending::broken:
            throw GoogleTransportError(
                QStringLiteral("Could not reach Google: %1.").arg(failureText(call.socketError())), true);
        case UploadCall::Ending::malformed:
            co_return UploadAnswer {};
        case UploadCall::Ending::tooLarge:
            throw GoogleTransportError(
                QStringLiteral("Google's answer was larger than expected and was not read."));
        case UploadCall::Ending::timedOut:
            throw GoogleTransportError(
                QStringLiteral("Could not reach Google: the request timed out."), true);
        case UploadCall::Ending::cancelled:
            throw stopped();
        case UploadCall::Ending::sourceShort:
            throw FileSystemError(QStringLiteral("The local file could not be read while uploading."));
        }
    }
}

} // namespace mv
