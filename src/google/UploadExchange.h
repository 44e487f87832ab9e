#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

class QIODevice;

namespace mv {

class TransferTask;
class UploadConnections;

// One answer of the resumable upload protocol: the status, the body and the two headers it speaks in.
struct UploadAnswer {
    int status = 0; // 0 when what arrived was no HTTP answer
    QByteArray body;
    std::optional<QString> location;
    std::optional<QString> range;
};

// Sends one upload request (its body given as bytes, or as a device read while sending; its URL, method
// and raw headers taken from `request`) over `connections`, and awaits the answer. A request that got no
// byte of an answer before its connection closed (an idle connection the server had dropped) is sent once
// more on a new one. `onSent` gets the request body's bytes sent so far; `onStarted` the transfer the run
// may cancel, before anything is sent. Throws GoogleTransportError when no whole answer arrived; its text
// names no URL. It and `connections` must outlive send().
struct UploadExchange {
    UploadConnections* connections = nullptr;
    std::chrono::milliseconds timeout { 60000 };
    std::function<void(qint64)> onSent;
    std::function<void(std::shared_ptr<TransferTask>)> onStarted;

    QCoro::Task<UploadAnswer> send(QNetworkRequest request, QByteArray verb, QByteArray body) const;
    QCoro::Task<UploadAnswer> send(QNetworkRequest request, QByteArray verb, QIODevice* body) const;

private:
    QCoro::Task<UploadAnswer> exchange(
        QNetworkRequest request, QByteArray verb, QByteArray body, QIODevice* device) const;
};

} // namespace mv
