#include "support/CurlDrive.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace mv::bench {

QUrl startFakeGoogle(QProcess& server, const QString& folder, const QStringList& options)
{
    const QString repository = qEnvironmentVariable("MV_SOURCE_DIR", QStringLiteral(MV_SOURCE_DIR));
    const QString readyPath = QDir(folder).filePath(QStringLiteral("ready"));
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("/usr/bin/python3"),
        QStringList {
            "-B", repository + "/tests/fake_google/fake_google.py", "--port", "0", "--ready-file", readyPath }
            + options);
    QFile ready(readyPath);
    while (!ready.open(QIODevice::ReadOnly))
        QThread::msleep(20);
    return QUrl(QString::fromUtf8(ready.readAll()));
}

QByteArray control(const QUrl& base, const QByteArray& method, const QString& path, const QByteArray& body)
{
    QProcess curl;
    QStringList arguments { "-sf", "-X", QString::fromLatin1(method), base.toString() + "/__fake/" + path };
    if (!body.isEmpty())
        arguments << "--data-binary" << QString::fromUtf8(body);
    curl.start("curl", arguments);
    curl.waitForFinished(-1);
    return curl.readAllStandardOutput();
}

QByteArray curlConfig(const QString& path)
{
    QProcess curl;
    curl.start("curl", { "-s", "-K", path });
    curl.waitForFinished(-1);
    return curl.readAllStandardOutput();
}

QString startArguments(const QUrl& base, const QString& token, qint64 size, const QString& name)
{
    return QStringLiteral("url = \"%1/upload/drive/v3/files?uploadType=resumable\"\nrequest = \"POST\"\n"
                          "header = \"Authorization: Bearer %2\"\nheader = \"Content-Type: application/json; "
                          "charset=utf-8\"\nheader = \"X-Upload-Content-Type: application/octet-stream\"\n"
                          "header = \"X-Upload-Content-Length: %3\"\n"
                          "data-binary = \"{\\\"name\\\":\\\"%4\\\",\\\"parents\\\":[\\\"root\\\"]}\"\n"
                          "output = \"/dev/null\"\nwrite-out = \"%header{location}\\n\"\n")
        .arg(base.toString(), token, QString::number(size), name);
}

QString putArguments(const QString& session, const QString& part, const QString& range)
{
    return QStringLiteral("url = \"%1\"\nrequest = \"PUT\"\nupload-file = \"%2\"\n"
                          "header = \"Content-Type: application/octet-stream\"\n%3output = \"/dev/null\"\n")
        .arg(session, part, range.isEmpty() ? QString() : "header = \"Content-Range: " + range + "\"\n");
}

} // namespace mv::bench
