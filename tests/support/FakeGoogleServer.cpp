#include "FakeGoogleServer.h"

#include "IntegrationTimeout.h"
#include "LoopbackHttp.h"

#include <QFile>
#include <QJsonDocument>
#include <QTest>

namespace mv::test {

FakeGoogleServer::FakeGoogleServer()
{
    const QString script
        = qEnvironmentVariable("MV_SOURCE_DIR") + QStringLiteral("/tests/fake_google/fake_google.py");
    const QString ready = m_dir.filePath(QStringLiteral("ready"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-B"), script, QStringLiteral("--port"), QStringLiteral("0"),
            QStringLiteral("--ready-file"), ready });
    if (!m_process.waitForStarted(30000))
        return;
    // The server writes its address once it accepts connections.
    QFile file(ready);
    const bool ended
        = QTest::qWaitFor([&] { return file.exists() || m_process.state() != QProcess::Running; },
            int(integrationTimeout.count()));
    if (ended && file.open(QIODevice::ReadOnly))
        m_baseUrl = QUrl(QString::fromUtf8(file.readAll()));
}

FakeGoogleServer::~FakeGoogleServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QJsonValue FakeGoogleServer::control(const QByteArray& method, const QString& path, const QJsonValue& body)
{
    QByteArray bytes;
    if (body.isObject())
        bytes = QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact);
    else if (body.isArray())
        bytes = QJsonDocument(body.toArray()).toJson(QJsonDocument::Compact);
    QUrl url = m_baseUrl;
    url.setPath(QStringLiteral("/__fake/") + path);
    const LoopbackAnswer answer = loopbackRequest(url, method, bytes);
    if (answer.status != 200)
        qWarning("fake Google server: %s %s answered %d: %s", method.constData(), qPrintable(path),
            answer.status, answer.body.constData());
    const QJsonDocument document = QJsonDocument::fromJson(answer.body);
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

QStringList FakeGoogleServer::violations()
{
    QStringList texts;
    for (const QJsonValue& text : control("GET", "violations").toArray())
        texts << text.toString();
    return texts;
}

QJsonArray FakeGoogleServer::requestsTo(const QString& path)
{
    QJsonArray found;
    for (const QJsonValue& entry : journal()) {
        if (entry.toObject().value(QStringLiteral("path")).toString() == path)
            found.append(entry);
    }
    return found;
}

QString FakeGoogleServer::issueAccessToken()
{
    return control("POST", "oauth/token", QJsonObject {})
        .toObject()
        .value(QStringLiteral("access_token"))
        .toString();
}

QJsonArray FakeGoogleServer::seedDriveItems(const QJsonArray& items)
{
    return control("POST", "drive/seed", QJsonObject { { QStringLiteral("items"), items } })
        .toObject()
        .value(QStringLiteral("items"))
        .toArray();
}

QString FakeGoogleServer::seedDriveItem(const QString& name, const QString& parent, const QString& mimeType)
{
    const QJsonObject item { { QStringLiteral("name"), name }, { QStringLiteral("mimeType"), mimeType },
        { QStringLiteral("parents"), QJsonArray { parent } } };
    return seedDriveItems({ item }).first().toObject().value(QStringLiteral("id")).toString();
}

} // namespace mv::test
