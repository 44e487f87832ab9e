#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace mv::bench {

// What the Drive benchmarks measure against: curl speaking to the same fake server, driven by config files
// so that one curl carries a chain of requests on one connection.

// A control request to the fake server under "/__fake/"; its answer's body.
QByteArray control(
    const QUrl& base, const QByteArray& method, const QString& path, const QByteArray& body = {});

// Runs curl on a config file; its standard output.
QByteArray curlConfig(const QString& path);

// The config lines that open a resumable upload session for `name` in the root and print its address.
QString startArguments(const QUrl& base, const QString& token, qint64 size, const QString& name);

// The config lines that PUT `part` to `session`, with a Content-Range header when `range` is not empty.
QString putArguments(const QString& session, const QString& part, const QString& range);

} // namespace mv::bench
