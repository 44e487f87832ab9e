#include "google/HttpExchange.h"

#include "google/GoogleAuthError.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include <memory>

#include <qcoro/qcorosignal.h>

namespace mv {

namespace {

QString transportText(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Could not reach Google: the connection was refused.");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Could not reach Google: the connection closed before an answer arrived.");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Could not reach Google: the server's name could not be found.");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("Could not reach Google: the secure connection could not be set up.");
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return QStringLiteral("Could not reach Google: the network is not available.");
    default:
        return QStringLiteral("Could not reach Google: the connection failed (network error %1).")
            .arg(int(error));
    }
}

// The failures that a later attempt may not meet: a time-out, a connection lost or refused, a name that
// could not be looked up.
bool isTransient(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // the transfer time-out
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError: // a body cut by a reset
        return true;
    default:
        return false;
    }
}

GoogleTransportError transportError(QNetworkReply::NetworkError error)
{
    return GoogleTransportError(transportText(error), isTransient(error));
}

} // namespace

QString oneLine(const QByteArray& body)
{
    QString text = QString::fromUtf8(body);
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QCoro::Task<HttpAnswer> exchangeHttp(QNetworkAccessManager& network, QNetworkRequest request, QByteArray verb,
    QByteArray body, std::chrono::milliseconds timeout, qint64 maximumBody)
{
    request.setTransferTimeout(int(timeout.count()));
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        network.sendCustomRequest(request, verb, body), [](QNetworkReply* done) { done->deleteLater(); });
    auto tooLarge = std::make_shared<bool>(false);
    QNetworkReply* raw = reply.get();
    QObject::connect(
        raw, &QNetworkReply::downloadProgress, raw, [raw, tooLarge, maximumBody](qint64 received, qint64) {
            if (received > maximumBody && !*tooLarge) {
                *tooLarge = true;
                raw->abort();
            }
        });
    if (!reply->isFinished()) {
        auto finishing = qCoro(raw, &QNetworkReply::finished);
        co_await finishing;
    }
    if (*tooLarge)
        throw GoogleTransportError(
            QStringLiteral("Google's answer was larger than expected and was not read."));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        if (reply->error() == QNetworkReply::OperationCanceledError)
            throw GoogleTransportError(
                QStringLiteral("Google did not answer within %1 seconds.")
                    .arg(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()),
                true);
        if (reply->error() != QNetworkReply::NoError)
            throw transportError(reply->error());
        co_return HttpAnswer {};
    }
    // An answer cut short is no answer.
    if (reply->error() == QNetworkReply::RemoteHostClosedError
        || reply->error() == QNetworkReply::UnknownNetworkError
        || reply->error() == QNetworkReply::OperationCanceledError)
        throw transportError(reply->error());
    QByteArray received = reply->readAll();
    // A body cut by a reset can come with the status's own error (404 as ContentNotFoundError): count the
    // bytes. Qt decompresses an encoded body, so only a plain one can be counted.
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && !reply->hasRawHeader("Content-Encoding") && received.size() < length.toLongLong())
        throw transportError(QNetworkReply::RemoteHostClosedError);
    co_return HttpAnswer { status.toInt(), std::move(received) };
}

} // namespace mv
