#pragma once

#include <QByteArray>
#include <QNetworkRequest>

#include <chrono>

#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace mv {

// One HTTP request to Google and its whole answer, whatever the status.
struct HttpAnswer {
    int status = 0; // 0 when no HTTP answer arrived at all
    QByteArray body;
};

// Sends the request and awaits the answer. Throws GoogleTransportError when no answer could be had
// (unreachable, reset, `timeout` passed, a body larger than `maximumBody`); its text names no URL.
QCoro::Task<HttpAnswer> exchangeHttp(QNetworkAccessManager& network, QNetworkRequest request, QByteArray verb,
    QByteArray body, std::chrono::milliseconds timeout, qint64 maximumBody = 1024 * 1024);

// Server text fit for one line of a message: CR and LF become blanks.
QString oneLine(const QByteArray& body);

} // namespace mv
