#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

#include <qcoro/qcorotask.h>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

namespace mv {

// One answer of the resumable upload protocol: the status, the body and the two headers it speaks in.
struct UploadAnswer {
    int status = 0; // 0 when no HTTP answer arrived
    QByteArray body;
    std::optional<QString> location;
    std::optional<QString> range;
};

// Sends one upload request (its body given as bytes, or as a device read while sending) and awaits the
// answer. `onSent` gets the request body's bytes sent so far; `onStarted` the reply, before anything is
// sent. Throws GoogleTransportError when no whole answer arrived; its text names no URL.
struct UploadExchange {
    QNetworkAccessManager* network = nullptr;
    std::chrono::milliseconds timeout { 60000 };
    std::function<void(qint64)> onSent;
    std::function<void(QNetworkReply*)> onStarted;

    QCoro::Task<UploadAnswer> send(QNetworkRequest request, QByteArray verb, QByteArray body) const;
    QCoro::Task<UploadAnswer> send(QNetworkRequest request, QByteArray verb, QIODevice* body) const;

private:
    void prepare(QNetworkRequest& request) const;
    QCoro::Task<UploadAnswer> await(QNetworkReply* reply) const;
};

} // namespace mv
