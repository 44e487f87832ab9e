#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

class QProcess;

namespace mv::bench {

// What the Drive benchmarks measure against: curl speaking to the same fake server, driven by config files
// so that one curl carries a chain of requests on one connection.

// Starts the fake server of tests/fake_google on a free port with `options` (such as "--sink": keep only
// each body's length and MD5), its ready file in `folder`; its base URL once it accepts connections. The
// server is found below MV_SOURCE_DIR, from the environment or the build.
QUrl startFakeGoogle(QProcess& server, const QString& folder, const QStringList& options = {});

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
