#include "DriveClientHarness.h"
#include "support/FakeGoogleSuite.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTcpServer>
#include <QtTest>

using namespace mv;
using mv::test::DriveClientHarness;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;

namespace {

// Google's error envelope, as its API sends it.
QString envelope(int status, const QString& message)
{
    const QJsonObject error { { "code", status }, { "message", message },
        { "errors", QJsonArray { QJsonObject { { "message", message }, { "domain", "global" } } } } };
    return QString::fromUtf8(QJsonDocument(QJsonObject { { "error", error } }).toJson());
}

QJsonObject answer(int status, const QString& body, int times = 0)
{
    QJsonObject rule { { "status", status }, { "body", body } };
    if (times)
        rule.insert("times", times);
    return rule;
}

const QString unavailable = "The service is currently unavailable.";

} // namespace

// The layer under every Drive call: the token, the classification of answers, the transient retries with
// back-off and the one token renewal, against the fake Google server.
class tst_GoogleDriveRequests : public FakeGoogleSuite {
    Q_OBJECT

    // A stored item and the path that reads and trashes it.
    QString seedItem()
    {
        const QJsonArray items = m_server.seedDriveItems(
            { QJsonObject { { "name", "notes.txt" }, { "mimeType", "text/plain" }, { "size", "5" } } });
        return items.first().toObject().value("id").toString();
    }

private Q_SLOTS:
    void retries_data()
    {
        QTest::addColumn<bool>("write"); // trash(id) instead of folder(id)
        QTest::addColumn<QJsonArray>("rules"); // fault rules for the item's path, in order
        QTest::addColumn<bool>("withRefresh");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("refreshes");
        QTest::addColumn<QList<int>>("sleeps");
        QTest::addColumn<QString>("failure"); // empty for success

        const QString api503 = "Google Drive returned HTTP 503. " + unavailable;
        const QString refused = "Google Drive authorization failed. Invalid Credentials";
        const QJsonObject refusal = answer(401, envelope(401, "Invalid Credentials"), 1);
        const QJsonObject twoRefusals = answer(401, envelope(401, "Invalid Credentials"), 2);
        const QList<int> backOff { 1, 2, 4, 8 };

        QTest::newRow("503 every time") << false << QJsonArray { answer(503, envelope(503, unavailable)) }
                                        << true << 5 << 0 << backOff << api503;
        QTest::newRow("401, refresh, 503 four times, 200")
            << false << QJsonArray { refusal, answer(503, envelope(503, unavailable), 4) } << true << 6 << 1
            << backOff << QString();
        QTest::newRow("401 twice") << false << QJsonArray { twoRefusals } << true << 2 << 1 << QList<int>()
                                   << refused;
        QTest::newRow("401 without a refresh callback")
            << false << QJsonArray { refusal } << false << 1 << 0 << QList<int>() << refused;
        QTest::newRow("429, 500, 502, 504, then 200")
            << false
            << QJsonArray { answer(429, envelope(429, "Rate"), 1), answer(500, envelope(500, "Backend"), 1),
                   answer(502, envelope(502, "Bad gateway"), 1), answer(504, envelope(504, "Timeout"), 1) }
            << true << 5 << 0 << backOff << QString();
        QTest::newRow("501 is final")
            << false << QJsonArray { answer(501, envelope(501, "Not Implemented")) } << true << 1 << 0
            << QList<int>() << "Google Drive returned HTTP 501. Not Implemented";
        QTest::newRow("505 is final") << false << QJsonArray { answer(505, envelope(505, "Version")) } << true
                                      << 1 << 0 << QList<int>() << "Google Drive returned HTTP 505. Version";
        QTest::newRow("body cut by a reset, then 200")
            << false << QJsonArray { QJsonObject { { "cut", 5 }, { "reset", true }, { "times", 1 } } } << true
            << 2 << 0 << QList<int> { 1 } << QString();
        QTest::newRow("204 with an empty body")
            << false << QJsonArray { answer(204, QString()) } << true << 1 << 0 << QList<int>()
            << "Google Drive's answer could not be read: it is not a JSON object.";
        QTest::newRow("expired token, refreshed")
            << false << QJsonArray() << true << 2 << 1 << QList<int>() << QString();
        QTest::newRow("write answered 503") << true << QJsonArray { answer(503, envelope(503, unavailable)) }
                                            << true << 1 << 0 << QList<int>() << api503;
        QTest::newRow("write answered 401, refreshed")
            << true << QJsonArray { refusal } << true << 2 << 1 << QList<int>() << QString();
        QTest::newRow("write answered 401 twice")
            << true << QJsonArray { twoRefusals } << true << 2 << 1 << QList<int>() << refused;
        QTest::newRow("write answered 401 without a refresh callback")
            << true << QJsonArray { refusal } << false << 1 << 0 << QList<int>() << refused;
    }

    void retries()
    {
        QFETCH(bool, write);
        QFETCH(QJsonArray, rules);
        QFETCH(bool, withRefresh);
        QFETCH(int, requests);
        QFETCH(int, refreshes);
        QFETCH(QList<int>, sleeps);
        QFETCH(QString, failure);

        const QString id = seedItem();
        const QString path = "/drive/v3/files/" + id;
        for (QJsonValueRef rule : rules) {
            QJsonObject scoped = rule.toObject();
            scoped.insert("path", path);
            rule = scoped;
        }
        DriveClientHarness harness(m_server);
        m_server.addFaults(rules);
        if (rules.isEmpty())
            m_server.expireAccessTokens();
        GoogleDriveClient client = harness.client(withRefresh);
        QString outcome;
        if (write) {
            outcome = test::failureOf(test::waitForOutcome(client.trash(id)));
        } else {
            const auto read = test::waitForOutcome(client.folder(id));
            outcome = test::failureOf(read);
            if (read.value)
                QCOMPARE(read.value->id, id);
        }
        QCOMPARE(outcome, failure);
        // Qt itself may resend a GET once on a connection that closed early; the waits count our attempts.
        const bool cut = !rules.isEmpty() && rules.first().toObject().contains("cut");
        const qsizetype sent = m_server.requestsTo(path).size();
        QVERIFY2(cut ? sent >= requests : sent == requests, qPrintable(QString::number(sent)));
        QCOMPARE(harness.refreshes, refreshes);
        QCOMPARE(harness.sleeps, sleeps);
        for (const QJsonValue& entry : m_server.requestsTo(path)) {
            QCOMPARE(entry["method"].toString(), write ? "PATCH" : "GET");
        }
    }

    void errorMessages_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body"); // "TOKEN" stands for the access token sent
        QTest::addColumn<QString>("failure");

        QTest::newRow("envelope") << 404 << envelope(404, "File not found: abc.")
                                  << "Google Drive returned HTTP 404. File not found: abc.";
        QTest::newRow("envelope on several lines")
            << 400 << envelope(400, "Invalid Value\r\nat line 2")
            << "Google Drive returned HTTP 400. Invalid Value  at line 2";
        QTest::newRow("HTML page")
            << 404 << "<html>\n<title>Error 404 (Not Found)</title>\n</html>"
            << "Google Drive returned HTTP 404. <html> <title>Error 404 (Not Found)</title> </html>";
        QTest::newRow("error as text") << 400 << "{\"error\":\"invalid_request\"}"
                                       << "Google Drive returned HTTP 400. {\"error\":\"invalid_request\"}";
        QTest::newRow("message not text") << 403 << "{\"error\":{\"message\":5}}"
                                          << "Google Drive returned HTTP 403. {\"error\":{\"message\":5}}";
        QTest::newRow("empty body") << 400 << QString() << "Google Drive returned HTTP 400. ";
        QTest::newRow("token echoed") << 403 << envelope(403, "Bearer TOKEN is not allowed")
                                      << "Google Drive returned HTTP 403. Bearer [token] is not allowed";
        QTest::newRow("401 with envelope") << 401 << envelope(401, "Invalid Credentials")
                                           << "Google Drive authorization failed. Invalid Credentials";
    }

    void errorMessages()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(QString, failure);

        DriveClientHarness harness(m_server);
        body.replace("TOKEN", *harness.token);
        m_server.addFaults({ answer(status, body) });
        GoogleDriveClient client = harness.client(false);
        QCOMPARE(test::failureOf(test::waitForOutcome(client.folder("abc"))), failure);
    }

    // Transport failures are retried and end with a text that names no address, path, header or token.
    void transportFailures_data()
    {
        QTest::addColumn<bool>("refused"); // a closed port instead of the fake server
        QTest::addColumn<QString>("failure");

        QTest::newRow("connection refused") << true << "Could not reach Google: the connection was refused.";
        QTest::newRow("body cut every time")
            << false << "Could not reach Google: the connection closed before an answer arrived.";
    }

    void transportFailures()
    {
        QFETCH(bool, refused);
        QFETCH(QString, failure);

        DriveClientHarness harness(m_server);
        QUrl base = GoogleEndpoints::at(m_server.baseUrl()).driveApiBase;
        if (refused) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            base.setPort(closed.serverPort());
        } else {
            m_server.addFaults({ QJsonObject { { "cut", 5 }, { "reset", true } } });
        }
        GoogleDriveClient client(
            harness.network, base, [token = *harness.token]() -> QCoro::Task<QString> { co_return token; },
            {},
            [&harness](std::chrono::milliseconds delay) -> QCoro::Task<> {
                harness.sleeps << int(delay.count() / 1000);
                co_return;
            });
        const QString text = test::failureOf(test::waitForOutcome(client.folder("abc")));
        QCOMPARE(text, failure);
        QCOMPARE(harness.sleeps, (QList<int> { 1, 2, 4, 8 }));
        for (const QString& secret : { QString::number(base.port()), QString("127.0.0.1"), QString("/drive"),
                 QString("Bearer"), *harness.token })
            QVERIFY2(!text.contains(secret), qPrintable(secret));
        if (!refused) // Qt may resend a GET once on its own
            QVERIFY(m_server.requestsTo("/drive/v3/files/abc").size() >= 5);
    }

    // A client given no sleeper waits for real: the first step of the back-off (the table above checks the
    // whole of it) keeps the retry a second behind the answer that asked for it.
    void realBackOff()
    {
        const QString id = seedItem();
        m_server.addFaults({ answer(503, envelope(503, unavailable), 1) });
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client(true, true);
        QElapsedTimer elapsed;
        elapsed.start();
        const auto read = test::waitForOutcome(client.folder(id));
        QCOMPARE(test::failureOf(read), QString());
        QVERIFY2(elapsed.elapsed() >= 1000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(read.value->id, id);
        QCOMPARE(m_server.requestsTo("/drive/v3/files/" + id).size(), 2);
        QVERIFY(harness.sleeps.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveRequests)
#include "tst_GoogleDriveRequests.moc"
