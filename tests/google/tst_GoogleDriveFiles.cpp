#include "DriveClientHarness.h"
#include "support/FakeGoogleSuite.h"

#include <QJsonDocument>
#include <QtTest>

using namespace mv;
using mv::test::DriveClientHarness;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;

namespace {

const QString folderType = GoogleDriveItem::folderMimeType;

QJsonObject folderNamed(const QString& name, const QString& parent = FakeGoogleServer::driveRootID)
{
    return { { "name", name }, { "mimeType", folderType }, { "parents", QJsonArray { parent } } };
}

QString idOf(const QJsonValue& item)
{
    return item.toObject().value("id").toString();
}

// A query item of a journal entry, in the order sent; "<absent>" when it was not sent.
QString queryValue(const QJsonValue& entry, const QString& key)
{
    for (const QJsonValue& pair : entry["query"].toArray()) {
        if (pair[0].toString() == key)
            return pair[1].toString();
    }
    return "<absent>";
}

QStringList queryKeys(const QJsonValue& entry)
{
    QStringList keys;
    for (const QJsonValue& pair : entry["query"].toArray())
        keys << pair[0].toString();
    return keys;
}

// The fake's stored items, by id.
QJsonObject storedItems(FakeGoogleServer& server)
{
    return server.state()["drive"].toObject()["items"].toObject();
}

QCoro::Task<QStringList> ensureConcurrently(
    GoogleDriveClient& client, int count, QString name, QString parent)
{
    // Tasks start at once: all are under way before the first is awaited.
    std::vector<QCoro::Task<GoogleDriveItem>> tasks;
    for (int i = 0; i < count; ++i)
        tasks.push_back(client.ensureFolder(name, parent));
    QStringList ids;
    for (auto& task : tasks) {
        const GoogleDriveItem item = co_await task;
        ids << item.id;
    }
    co_return ids;
}

} // namespace

// The Drive file operations against the fake Google server: listings and their pages, finding or creating
// a folder, reading an item, the quota and the trash.
class tst_GoogleDriveFiles : public FakeGoogleSuite {
    Q_OBJECT

private Q_SLOTS:
    void listingFollowsPages()
    {
        const QString parent = idOf(m_server.seedDriveItems({ folderNamed("Backup") }).first());
        QJsonArray files;
        for (int i = 1; i <= 7; ++i)
            files.append(QJsonObject { { "name", QString("f%1.txt").arg(i) }, { "mimeType", "text/plain" },
                { "size", QString::number(i) }, { "parents", QJsonArray { parent } } });
        files.append(QJsonObject { { "name", "gone.txt" }, { "mimeType", "text/plain" }, { "trashed", true },
            { "parents", QJsonArray { parent } } });
        m_server.seedDriveItems(files);
        m_server.setKnobs({ { "drive.pageSizeCap", 3 } });

        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const QString query = QString("'%1' in parents and trashed = false").arg(parent);
        const auto listed = test::waitForOutcome(client.list(query, 1000));
        QCOMPARE(test::failureOf(listed), QString());
        QStringList names;
        for (const GoogleDriveItem& item : *listed.value)
            names << item.name + ":" + QString::number(item.sizeBytes());
        QCOMPARE(names,
            (QStringList {
                "f1.txt:1", "f2.txt:2", "f3.txt:3", "f4.txt:4", "f5.txt:5", "f6.txt:6", "f7.txt:7" }));

        // The fake's page tokens hold "+" and "/": it records a violation for any it does not know.
        const QJsonArray requests = m_server.requestsTo("/drive/v3/files");
        QCOMPARE(requests.size(), 3);
        QCOMPARE(queryKeys(requests[0]), (QStringList { "q", "pageSize", "fields", "spaces" }));
        QCOMPARE(queryKeys(requests[2]), (QStringList { "q", "pageSize", "fields", "spaces", "pageToken" }));
        QCOMPARE(queryValue(requests[1], "q"), query);
        QCOMPARE(queryValue(requests[0], "fields"),
            "nextPageToken,files(id,name,mimeType,size,md5Checksum,modifiedTime,parents,trashed)");
        QCOMPARE(queryValue(requests[0], "spaces"), "drive");
        QVERIFY(queryValue(requests[1], "pageToken") != queryValue(requests[2], "pageToken"));
    }

    void pageSizeIsCapped_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("sent");
        QTest::newRow("5000") << 5000 << "1000";
        QTest::newRow("1001") << 1001 << "1000";
        QTest::newRow("1000") << 1000 << "1000";
        QTest::newRow("10") << 10 << "10";
    }

    void pageSizeIsCapped()
    {
        QFETCH(int, asked);
        QFETCH(QString, sent);
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        QCOMPARE(test::failureOf(test::waitForOutcome(client.list("trashed = false", asked))), QString());
        QCOMPARE(queryValue(m_server.requestsTo("/drive/v3/files").first(), "pageSize"), sent);
    }

    // A folder with more items than the cap fails as a whole rather than looking smaller than it is.
    void listingOverTheCapFails()
    {
        m_server.setKnobs({ { "drive.synthetic", 260'000 } });
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const auto listed = test::waitForOutcome(client.list("trashed = false", 1000));
        QCOMPARE(test::failureOf(listed),
            "The Drive folder listing has more than 250,000 items and cannot be indexed safely.");
        QCOMPARE(m_server.requestsTo("/drive/v3/files").size(), 250);
    }

    void ensureFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("literal"); // the name as the search query must hold it
        QTest::addColumn<QString>("sameNamedType"); // mimeType of an item already there, empty for none
        QTest::addColumn<bool>("created");

        QTest::newRow("apostrophe, found") << "O'Brien"
                                           << "O\\'Brien" << folderType << false;
        QTest::newRow("apostrophe, created") << "O'Brien"
                                             << "O\\'Brien" << QString() << true;
        QTest::newRow("backslash, found") << "back\\slash"
                                          << "back\\\\slash" << folderType << false;
        QTest::newRow("backslash, created") << "back\\slash"
                                            << "back\\\\slash" << QString() << true;
        QTest::newRow("backslash before apostrophe") << "a\\'b"
                                                     << "a\\\\\\'b" << folderType << false;
        QTest::newRow("plus and ampersand, found") << "C++ & Co"
                                                   << "C++ & Co" << folderType << false;
        QTest::newRow("plus and ampersand, created") << "C++ & Co"
                                                     << "C++ & Co" << QString() << true;
        QTest::newRow("same-named file") << "Report"
                                         << "Report"
                                         << "text/plain" << true;
    }

    void ensureFolder()
    {
        QFETCH(QString, name);
        QFETCH(QString, literal);
        QFETCH(QString, sameNamedType);
        QFETCH(bool, created);

        const QString parent = idOf(m_server.seedDriveItems({ folderNamed("Backup") }).first());
        QString existing;
        if (!sameNamedType.isEmpty()) {
            // A trashed folder of that name, and one in another parent, are never the answer.
            m_server.seedDriveItems({ QJsonObject { { "name", name }, { "mimeType", folderType },
                                          { "trashed", true }, { "parents", QJsonArray { parent } } },
                folderNamed(name) });
            existing = idOf(m_server
                                .seedDriveItems({ QJsonObject { { "name", name },
                                    { "mimeType", sameNamedType }, { "parents", QJsonArray { parent } } } })
                                .first());
        }

        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const auto ensured = test::waitForOutcome(client.ensureFolder(name, parent));
        QCOMPARE(test::failureOf(ensured), QString());
        QCOMPARE(ensured.value->name, name);
        QCOMPARE(ensured.value->mimeType, folderType);
        QCOMPARE(ensured.value->parents, QStringList { parent });

        const QJsonArray searches = m_server.requestsTo("/drive/v3/files");
        QCOMPARE(searches.first()["method"].toString(), "GET");
        QCOMPARE(queryValue(searches.first(), "q"),
            QString("name = '%1' and mimeType = '%2' and trashed = false and '%3' in parents")
                .arg(literal, folderType, parent));
        QCOMPARE(queryValue(searches.first(), "pageSize"), "10");
        const qsizetype creations = searches.size() - 1;
        QCOMPARE(creations, created ? 1 : 0);
        if (created) {
            QVERIFY(ensured.value->id != existing);
            QCOMPARE(storedItems(m_server).value(ensured.value->id)["name"].toString(), name);
        } else {
            QCOMPARE(ensured.value->id, existing);
        }
    }

    // Identifiers are one path segment and one query literal, whatever they hold.
    void identifiersStayWhole()
    {
        const QString odd = "a/b?c#d'e\\f";
        m_server.seedDriveItems(
            { QJsonObject { { "id", odd }, { "name", "Odd" }, { "mimeType", folderType } },
                QJsonObject { { "id", "q" }, { "name", "Sub" }, { "mimeType", folderType },
                    { "parents", QJsonArray { odd } } } });

        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const auto read = test::waitForOutcome(client.folder(odd));
        QCOMPARE(test::failureOf(read), QString());
        QCOMPARE(read.value->name, "Odd");

        const auto found = test::waitForOutcome(client.ensureFolder("Sub", odd));
        QCOMPARE(test::failureOf(found), QString());
        QCOMPARE(found.value->id, "q");

        QCOMPARE(test::failureOf(test::waitForOutcome(client.trash(odd))), QString());
        QCOMPARE(storedItems(m_server).value(odd)["trashed"].toBool(), true);

        QCOMPARE(test::failureOf(test::waitForOutcome(client.folder(QString()))),
            "A Google Drive item has an empty identifier; nothing was sent.");
        QCOMPARE(test::failureOf(test::waitForOutcome(client.trash(QString()))),
            "A Google Drive item has an empty identifier; nothing was sent.");
        QCOMPARE(m_server.requestsTo("/drive/v3/files/").size(), 0);
    }

    void concurrentEnsureFolderCreatesOne()
    {
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const QStringList ids
            = QCoro::waitFor(ensureConcurrently(client, 8, "Marrowvale", FakeGoogleServer::driveRootID));
        QCOMPARE(ids.size(), 8);
        QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), 1);
        int creations = 0;
        for (const QJsonValue& entry : m_server.requestsTo("/drive/v3/files"))
            creations += entry["method"].toString() == "POST";
        QCOMPARE(creations, 1);
        QCOMPARE(storedItems(m_server).size(), 1);

        // Another name under the same parent is not held up by the first.
        const QStringList others
            = QCoro::waitFor(ensureConcurrently(client, 2, "Other", FakeGoogleServer::driveRootID));
        QCOMPARE(others.first(), others.last());
        QVERIFY(others.first() != ids.first());
    }

    void creationFailures_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("failure");
        QTest::newRow("202 is no success") << 202 << "Google Drive returned HTTP 202. ";
        QTest::newRow("403")
            << 403 << "Google Drive returned HTTP 403. The user's Drive storage quota has been exceeded.";
    }

    void creationFailures()
    {
        QFETCH(int, status);
        QFETCH(QString, failure);
        const QString body = status == 202
            ? "{\"id\":\"x\",\"name\":\"Marrowvale\",\"mimeType\":\"application/vnd.google-apps.folder\"}"
            : "{\"error\":{\"code\":403,\"message\":\"The user's Drive storage quota has been exceeded.\"}}";
        m_server.addFaults({ QJsonObject { { "method", "POST" }, { "status", status }, { "body", body } } });
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const QString text = test::failureOf(test::waitForOutcome(client.ensureFolder("Marrowvale", "root")));
        QCOMPARE(text.left(failure.size()), failure);
        QCOMPARE(m_server.requestsTo("/drive/v3/files").size(), 2);
    }

    void ensureFolderStopsWhenTheSearchFails()
    {
        m_server.addFaults({ QJsonObject { { "method", "GET" }, { "status", 403 },
            { "body", "{\"error\":{\"message\":\"Insufficient permissions\"}}" } } });
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        QCOMPARE(test::failureOf(test::waitForOutcome(client.ensureFolder("Marrowvale", "root"))),
            "Google Drive returned HTTP 403. Insufficient permissions");
        QCOMPARE(m_server.requestsTo("/drive/v3/files").size(), 1);
    }

    void quota_data()
    {
        QTest::addColumn<QByteArray>("storageQuota"); // the fake's knob as JSON; false leaves it out
        QTest::addColumn<QString>("expected"); // "<limit>|<usage>", "-" for absent

        QTest::newRow("limit and usage")
            << QByteArray("{\"limit\":\"16106127360\",\"usage\":\"42\"}") << "16106127360|42";
        QTest::newRow("usage only") << QByteArray("{\"usage\":\"1234\"}") << "-|1234";
        QTest::newRow("no storage quota") << QByteArray("false") << "-|-";
        QTest::newRow("unreadable limit") << QByteArray("{\"limit\":\"lots\",\"usage\":\"0\"}") << "-|0";
    }

    void quota()
    {
        QFETCH(QByteArray, storageQuota);
        QFETCH(QString, expected);
        const QJsonValue knob = QJsonDocument::fromJson("[" + storageQuota + "]").array().first();
        m_server.setKnobs({ { "drive.quota", knob } });
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        const auto read = test::waitForOutcome(client.quota());
        QCOMPARE(test::failureOf(read), QString());
        const auto text = [](const std::optional<qint64>& count) {
            return count ? QString::number(*count) : QString("-");
        };
        QCOMPARE(text(read.value->limit) + "|" + text(read.value->usage), expected);
        QCOMPARE(queryValue(m_server.requestsTo("/drive/v3/about").first(), "fields"),
            "storageQuota(limit,usage)");
    }

    void trash_data()
    {
        QTest::addColumn<int>("status"); // of a fault rule answering the PATCH, 0 for the fake's own answer
        QTest::newRow("200 with the item") << 0;
        QTest::newRow("204") << 204;
    }

    void trash()
    {
        QFETCH(int, status);
        const QString id = idOf(m_server
                                    .seedDriveItems({ QJsonObject { { "name", "old.txt" },
                                        { "mimeType", "text/plain" }, { "size", "3" } } })
                                    .first());
        if (status)
            m_server.addFaults({ QJsonObject { { "method", "PATCH" }, { "status", status } } });
        DriveClientHarness harness(m_server);
        GoogleDriveClient client = harness.client();
        QCOMPARE(test::failureOf(test::waitForOutcome(client.trash(id))), QString());

        const QJsonArray requests = m_server.requestsTo("/drive/v3/files/" + id);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first()["method"].toString(), "PATCH");
        QCOMPARE(queryValue(requests.first(), "fields"), "id");
        QCOMPARE(requests.first()["bodyMd5"].toString(),
            QString::fromLatin1(
                QCryptographicHash::hash("{\"trashed\":true}", QCryptographicHash::Md5).toHex()));
        if (!status)
            QCOMPARE(storedItems(m_server).value(id)["trashed"].toBool(), true);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveFiles)
#include "tst_GoogleDriveFiles.moc"
