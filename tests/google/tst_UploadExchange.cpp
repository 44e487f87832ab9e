#include "google/GoogleAuthError.h"
#include "google/TransferTask.h"
#include "google/UploadConnections.h"
#include "google/UploadExchange.h"
#include "model/FileSystemError.h"

#include "support/IntegrationTimeout.h"
#include "support/TaskOutcome.h"

#include <QBuffer>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <thread>

using namespace mv;
using namespace mv::test;
using namespace std::chrono_literals;

namespace {

// A server on 127.0.0.1 that reads whole requests (head and Content-Length body) and answers each with its
// next scripted reply; with a TLS configuration, over TLS.
class ScriptedServer : public QObject {
public:
    struct Reply {
        QByteArray bytes; // written as they stand
        bool close = false; // then the connection is closed
        bool hold = false; // nothing is written and the connection stays open
    };
    struct Request {
        int connection = 0;
        QByteArray head;
        QByteArray body;
    };

    QList<Reply> replies;
    QList<Request> requests;
    int connections = 0;

    explicit ScriptedServer(std::optional<QSslConfiguration> tls = std::nullopt)
    {
        if (tls) {
            auto secure = std::make_unique<QSslServer>();
            secure->setSslConfiguration(*tls);
            m_server = std::move(secure);
        } else {
            m_server = std::make_unique<QTcpServer>();
        }
        QObject::connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                const int id = ++connections;
                QObject::connect(
                    socket, &QTcpSocket::readyRead, socket, [this, socket, id] { read(*socket, id); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server->listen(QHostAddress::LocalHost);
    }

    QUrl url(const QString& path = QStringLiteral("/upload?upload_id=x")) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server->serverPort()).arg(path));
    }

private:
    void read(QTcpSocket& socket, int id)
    {
        QByteArray& buffer = m_buffers[id];
        buffer += socket.readAll();
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = buffer.left(end);
            qint64 length = 0;
            for (const QByteArray& line : head.split('\n'))
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            if (buffer.size() < end + 4 + length)
                return;
            requests.append({ id, head, buffer.mid(end + 4, length) });
            buffer.remove(0, end + 4 + length);
            const Reply reply = replies.isEmpty() ? Reply { "HTTP/1.1 500 x\r\nContent-Length: 0\r\n\r\n" }
                                                  : replies.takeFirst();
            if (reply.hold)
                return;
            socket.write(reply.bytes);
            if (reply.close) {
                socket.disconnectFromHost();
                return;
            }
        }
    }

    std::unique_ptr<QTcpServer> m_server;
    QHash<int, QByteArray> m_buffers;
};

// A certificate for "localhost" and its key, made by the openssl tool.
std::optional<QSslConfiguration> localhostTls()
{
    QTemporaryDir dir;
    QProcess openssl;
    openssl.start("openssl",
        { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1",
            "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost", "-keyout",
            dir.filePath("key.pem"), "-out", dir.filePath("cert.pem") });
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0)
        return std::nullopt;
    QFile key(dir.filePath("key.pem"));
    QFile certificate(dir.filePath("cert.pem"));
    if (!key.open(QIODevice::ReadOnly) || !certificate.open(QIODevice::ReadOnly))
        return std::nullopt;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    tls.setLocalCertificate(QSslCertificate(certificate.readAll()));
    return tls;
}

QByteArray answer(int status, const QByteArray& headers = {}, const QByteArray& body = {})
{
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\n" + headers
        + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QNetworkRequest put(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setRawHeader("Content-Range", "bytes 0-4/5");
    return request;
}

QString transportFailure(const TaskOutcome<UploadAnswer>& outcome, bool* transient = nullptr)
{
    try {
        if (outcome.error)
            std::rethrow_exception(outcome.error);
    } catch (const GoogleTransportError& error) {
        if (transient)
            *transient = error.isTransient();
        return error.description();
    } catch (const FileSystemError& error) {
        return error.description();
    }
    return {};
}

} // namespace

class tst_UploadExchange : public QObject {
    Q_OBJECT

private:
    UploadConnections connections;

    UploadExchange exchange(std::chrono::milliseconds timeout = 60s)
    {
        return UploadExchange { &connections, timeout, {}, {} };
    }

private Q_SLOTS:
    void init() { connections = UploadConnections(); }

    // What an answer says is read whatever its framing, and one connection carries request after request.
    void answersAreReadAndTheConnectionKept()
    {
        ScriptedServer server;
        server.replies = {
            { "HTTP/1.1 308 Resume Incomplete\r\nRange: bytes=0-2\r\nTransfer-Encoding: chunked\r\n\r\n"
              "2\r\nok\r\n0\r\n\r\n" },
            { answer(200, "location: http://elsewhere/\r\n", "{\"id\":\"1\"}") },
        };
        const auto first = waitForOutcome(exchange().send(put(server.url()), "PUT", QByteArray("hello")));
        QCOMPARE(transportFailure(first), QString());
        QCOMPARE(first.value->status, 308);
        QCOMPARE(first.value->range, std::optional<QString>("bytes=0-2"));
        QCOMPARE(first.value->location, std::nullopt);
        QCOMPARE(first.value->body, QByteArray("ok"));

        const auto second = waitForOutcome(exchange().send(put(server.url()), "PUT", QByteArray("world")));
        QCOMPARE(second.value->status, 200);
        QCOMPARE(second.value->location, std::optional<QString>("http://elsewhere/"));
        QCOMPARE(second.value->body, QByteArray("{\"id\":\"1\"}"));

        QCOMPARE(server.connections, 1);
        QCOMPARE(server.requests.size(), 2);
        const QByteArray head = server.requests.first().head;
        QVERIFY(head.startsWith("PUT /upload?upload_id=x HTTP/1.1\r\n"));
        QVERIFY(head.contains(QByteArray("\r\nHost: 127.0.0.1:") + QByteArray::number(server.url().port())));
        QVERIFY(head.contains("\r\nContent-Range: bytes 0-4/5"));
        QCOMPARE(head.count("Content-Length"), 1);
        QCOMPARE(server.requests.last().body, QByteArray("world"));
    }

    // A connection the server dropped without a word (an idle keep-alive connection it closed) costs one
    // more try on a new connection, and only one.
    void aRequestDroppedUnansweredIsSentOnceMore_data()
    {
        QTest::addColumn<int>("drops");
        QTest::addColumn<QString>("failure");
        QTest::newRow("once") << 1 << QString();
        QTest::newRow("twice")
            << 2 << QString("Could not reach Google: the connection closed before an answer arrived.");
    }
    void aRequestDroppedUnansweredIsSentOnceMore()
    {
        QFETCH(int, drops);
        QFETCH(QString, failure);
        ScriptedServer server;
        server.replies = { { answer(200) } };
        for (int i = 0; i < drops; ++i)
            server.replies.append({ {}, true });
        server.replies.append({ answer(201) });
        QCOMPARE(waitForOutcome(exchange().send(put(server.url()), "PUT", QByteArray("first"))).value->status,
            200);

        const auto outcome = waitForOutcome(exchange().send(put(server.url()), "PUT", QByteArray("again")));

        bool transient = false;
        QCOMPARE(transportFailure(outcome, &transient), failure);
        if (failure.isEmpty())
            QCOMPARE(outcome.value->status, 201);
        else
            QVERIFY(transient);
        QCOMPARE(server.requests.size(), 3);
        QCOMPARE(server.requests.last().body, QByteArray("again"));
        QCOMPARE(server.connections, 2);
    }

    void answersThatAreNoWholeAnswer_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("status");
        QTest::newRow("not HTTP") << QByteArray("SSH-2.0-x\r\n\r\n") << QString() << 0;
        QTest::newRow("body cut by the close")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello")
            << QString("Could not reach Google: the connection was lost.") << -1;
        QTest::newRow("announced body too large")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 2000000\r\n\r\n")
            << QString("Google's answer was larger than expected and was not read.") << -1;
    }
    void answersThatAreNoWholeAnswer()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, failure);
        QFETCH(int, status);
        ScriptedServer server;
        server.replies = { { reply, true } };
        const auto outcome = waitForOutcome(exchange().send(put(server.url()), "PUT", QByteArray("hello")));
        QCOMPARE(transportFailure(outcome), failure);
        if (status >= 0)
            QCOMPARE(outcome.value->status, status);
        QCOMPARE(server.requests.size(), 1);
    }

    void aRefusedConnectionFails()
    {
        QUrl url;
        {
            ScriptedServer gone;
            url = gone.url();
        }
        bool transient = false;
        QCOMPARE(
            transportFailure(waitForOutcome(exchange().send(put(url), "PUT", QByteArray("x"))), &transient),
            QString("Could not reach Google: the connection was refused."));
        QVERIFY(transient);
    }

    void aSilentServerTimesOut()
    {
        ScriptedServer server;
        server.replies = { { {}, false, true } };
        const auto outcome = waitForOutcome(exchange(200ms).send(put(server.url()), "PUT", QByteArray("x")));
        bool transient = false;
        QCOMPARE(
            transportFailure(outcome, &transient), QString("Could not reach Google: the request timed out."));
        QVERIFY(transient);
    }

    // A run cancelled already sends nothing; a cancel from the run's thread ends a request under way.
    void aCancelEndsTheExchange()
    {
        ScriptedServer server;
        UploadExchange early = exchange();
        early.onStarted = [](std::shared_ptr<TransferTask> task) { task->cancel(); };
        QCOMPARE(transportFailure(waitForOutcome(early.send(put(server.url()), "PUT", QByteArray("x")))),
            QString("The upload to Google Drive was stopped."));
        QCOMPARE(server.connections, 0);

        server.replies = { { {}, false, true } };
        UploadExchange held = exchange();
        std::shared_ptr<TransferTask> transfer;
        held.onStarted = [&](std::shared_ptr<TransferTask> task) { transfer = std::move(task); };
        std::optional<TaskOutcome<UploadAnswer>> outcome;
        auto task = [&]() -> QCoro::Task<> {
            auto capturing = detail::capture(held.send(put(server.url()), "PUT", QByteArray("x")));
            outcome = co_await capturing;
        }();
        MV_TRY_COMPARE(server.requests.size(), 1);
        std::thread runThread([&] { transfer->cancel(); });
        runThread.join();
        MV_TRY_VERIFY(outcome.has_value());
        QCOMPARE(transportFailure(*outcome), QString("The upload to Google Drive was stopped."));
    }

    // https goes over TLS with the peer verified: an unknown certificate fails, a trusted one carries
    // request after request on one connection.
    void aSecureConnectionIsVerified()
    {
        const auto tls = localhostTls();
        QVERIFY(tls);
        ScriptedServer server(tls);
        server.replies = { { answer(200) }, { answer(200) } };
        QUrl url = server.url();
        url.setScheme("https");
        url.setHost("localhost");
        QCOMPARE(transportFailure(waitForOutcome(exchange().send(put(url), "PUT", QByteArray("x")))),
            QString("Could not reach Google: the secure connection could not be set up."));
        QCOMPARE(server.requests.size(), 0);

        const QSslConfiguration before = QSslConfiguration::defaultConfiguration();
        QSslConfiguration trusting = before;
        trusting.addCaCertificate(tls->localCertificate());
        QSslConfiguration::setDefaultConfiguration(trusting);
        const auto first = waitForOutcome(exchange().send(put(url), "PUT", QByteArray("hello")));
        const auto second = waitForOutcome(exchange().send(put(url), "PUT", QByteArray("again")));
        QSslConfiguration::setDefaultConfiguration(before);
        QCOMPARE(transportFailure(first), QString());
        QCOMPARE(transportFailure(second), QString());
        QCOMPARE(server.requests.size(), 2);
        QCOMPARE(server.requests.first().body, QByteArray("hello"));
        QCOMPARE(server.requests.last().connection, server.requests.first().connection);
    }

    // A body read from a device while sending arrives whole, with progress up to its length; a device that
    // ends early fails the request rather than sending a short body.
    void streamsADeviceBody()
    {
        ScriptedServer server;
        server.replies = { { answer(200) } };
        QByteArray bytes(3 * 1024 * 1024 + 5, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7);
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        QNetworkRequest request(server.url());
        request.setHeader(QNetworkRequest::ContentLengthHeader, bytes.size());
        QList<qint64> sent;
        UploadExchange streaming = exchange();
        streaming.onSent = [&](qint64 count) { sent.append(count); };

        QCOMPARE(waitForOutcome(streaming.send(request, "PUT", &device)).value->status, 200);
        QCOMPARE(server.requests.first().body, bytes);
        QVERIFY(std::is_sorted(sent.begin(), sent.end()));
        QCOMPARE(sent.last(), qint64(bytes.size()));

        QByteArray few("0123456789");
        QBuffer shortDevice(&few);
        shortDevice.open(QIODevice::ReadOnly);
        request.setHeader(QNetworkRequest::ContentLengthHeader, 20);
        QCOMPARE(transportFailure(waitForOutcome(exchange().send(request, "PUT", &shortDevice))),
            QString("The local file could not be read while uploading."));
    }
};

QTEST_GUILESS_MAIN(tst_UploadExchange)
#include "tst_UploadExchange.moc"
