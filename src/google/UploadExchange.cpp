#include "google/UploadExchange.h"

#include "google/GoogleAuthError.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <memory>

#include <qcoro/qcorosignal.h>

namespace mv {

namespace {

constexpr qint64 bodyLimit = 1024 * 1024;

std::optional<QString> header(const QNetworkReply& reply, const QByteArray& name)
{
    if (!reply.hasRawHeader(name))
        return std::nullopt;
    return QString::fromLatin1(reply.rawHeader(name));
}

} // namespace

void UploadExchange::prepare(QNetworkRequest& request) const
{
    request.setTransferTimeout(int(timeout.count()));
    // The protocol's 308 means "resume incomplete", not a redirect; followed as one, it costs the connection.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
}

QCoro::Task<UploadAnswer> UploadExchange::send(
    QNetworkRequest request, QByteArray verb, QByteArray body) const
{
    prepare(request);
    auto awaiting = await(network->sendCustomRequest(request, verb, body));
    UploadAnswer answer = co_await awaiting;
    co_return answer;
}

QCoro::Task<UploadAnswer> UploadExchange::send(
    QNetworkRequest request, QByteArray verb, QIODevice* body) const
{
    prepare(request);
    auto awaiting = await(network->sendCustomRequest(request, verb, body));
    UploadAnswer answer = co_await awaiting;
    co_return answer;
}

QCoro::Task<UploadAnswer> UploadExchange::await(QNetworkReply* started) const
{
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
        started, [](QNetworkReply* done) { done->deleteLater(); });
    QNetworkReply* raw = reply.get();
    if (onSent)
        QObject::connect(raw, &QNetworkReply::uploadProgress, raw,
            [sent = onSent](qint64 bytes, qint64) { sent(std::max<qint64>(bytes, 0)); });
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(raw, &QNetworkReply::downloadProgress, raw, [raw, tooLarge](qint64 received, qint64) {
        if (received > bodyLimit && !*tooLarge) {
            *tooLarge = true;
            raw->abort();
        }
    });
    if (onStarted)
        onStarted(raw);
    if (!reply->isFinished()) {
        auto finishing = qCoro(raw, &QNetworkReply::finished);
        co_await finishing;
    }
    if (*tooLarge)
        throw GoogleTransportError(
            QStringLiteral("Google's answer was larger than expected and was not read."));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || reply->error() == QNetworkReply::RemoteHostClosedError
        || reply->error() == QNetworkReply::UnknownNetworkError
        || reply->error() == QNetworkReply::OperationCanceledError) {
        if (reply->error() == QNetworkReply::OperationCanceledError)
            throw GoogleTransportError(QStringLiteral("The upload to Google Drive was stopped."), true);
        if (reply->error() != QNetworkReply::NoError)
            throw GoogleTransportError(
                QStringLiteral("Could not reach Google: the connection failed (network error %1).")
                    .arg(int(reply->error())),
                true);
        co_return UploadAnswer {};
    }
    co_return UploadAnswer { status.toInt(), reply->readAll(), header(*reply, "Location"),
        header(*reply, "Range") };
}

} // namespace mv
