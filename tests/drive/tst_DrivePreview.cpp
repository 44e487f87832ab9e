#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/TaskOutcome.h"

#include "drive/DrivePreview.h"
#include "google/GoogleEndpoints.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QtTest>

#include <memory>

using namespace mv;
using GoogleDriveEngine::RemoteIndex;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;
using PreviewResult = std::expected<GoogleDrivePreview, PreflightFailure>;

namespace {

const QString folderType = QString::fromLatin1(GoogleDriveItem::folderMimeType);

GoogleDrivePlan planOf(const QStringList& files, const QStringList& unreadable = {})
{
    GoogleDrivePlan plan;
    plan.mode = BackupMode::mirror;
    for (const QString& path : files)
        plan.files.push_back(GoogleLocalFile { path, {}, 1, std::nullopt });
    plan.unreadable = unreadable;
    return plan;
}

GoogleDriveItem itemAt(const QString& path)
{
    GoogleDriveItem item;
    item.id = "id-" + path;
    item.name = path.section('/', -1);
    return item;
}

RemoteIndex indexOf(const QStringList& files, const QStringList& folders = {})
{
    RemoteIndex index;
    for (const QString& path : files)
        index.files.insert(path, itemAt(path));
    for (const QString& path : folders)
        index.folders.insert(path, itemAt(path));
    return index;
}

} // namespace

// What a mirror run would move to the Drive trash.
class tst_DrivePreview : public FakeGoogleSuite {
    Q_OBJECT

    PreviewResult previewAgainstServer(GoogleDrivePlan plan)
    {
        auto token = std::make_shared<QString>(m_server.issueAccessToken());
        plan.tokenProvider = [token]() -> QCoro::Task<QString> {
            const QString current = *token;
            co_return current;
        };
        QNetworkAccessManager network;
        const GoogleDriveConnection connection { &network,
            GoogleEndpoints::at(m_server.baseUrl()).driveApiBase,
            [](std::chrono::milliseconds) -> QCoro::Task<> { co_return; } };
        return *test::waitForOutcome(GoogleDriveEngine::preview(plan, connection)).value;
    }

    QString seed(const QString& name, const QString& parent, bool folder = false)
    {
        return m_server.seedDriveItem(name, parent, folder ? folderType : "text/plain");
    }

private Q_SLOTS:
    void candidates_data()
    {
        QTest::addColumn<QStringList>("planned");
        QTest::addColumn<QStringList>("unreadable");
        QTest::addColumn<QStringList>("driveFiles");
        QTest::addColumn<QStringList>("driveFolders");
        QTest::addColumn<QStringList>("deletions");

        QTest::newRow("Drive holds only the plan's files, and a folder the source lacks")
            << QStringList { "a.txt", "sub/b.txt" } << QStringList {} << QStringList { "a.txt", "sub/b.txt" }
            << QStringList { "sub", "empty" } << QStringList {};
        // NFC: "e" and a combining accent read as "é", so "éx.txt" sorts after "é.txt", not before.
        QTest::newRow("extras sorted by path order")
            << QStringList { "keep.txt" } << QStringList {}
            << QStringList { "keep.txt", "z.txt", "b/c.txt", "B.txt", "é.txt", "e\u0301x.txt" }
            << QStringList { "b" } << QStringList { "B.txt", "b/c.txt", "z.txt", "é.txt", "e\u0301x.txt" };
        QTest::newRow("nothing at or below an unreadable source path")
            << QStringList {} << QStringList { "locked", "sub/file.txt" }
            << QStringList { "locked", "locked/x.txt", "locked/deep/y.txt", "lockedOut.txt", "sub/file.txt",
                   "sub/other.txt" }
            << QStringList {} << QStringList { "lockedOut.txt", "sub/other.txt" };
    }

    void candidates()
    {
        QFETCH(QStringList, planned);
        QFETCH(QStringList, unreadable);
        QFETCH(QStringList, driveFiles);
        QFETCH(QStringList, driveFolders);
        QFETCH(QStringList, deletions);
        const GoogleDrivePreview preview
            = GoogleDriveEngine::previewOf(planOf(planned, unreadable), indexOf(driveFiles, driveFolders));
        QCOMPARE(preview.deletions, deletions);
        QCOMPARE(preview.totalDeletions, deletions.size());
    }

    // Against the server: files below the destination folder only, an excluded source file counts, at most
    // 200 are named of 250.
    void previewListsDrive()
    {
        const QString folder = seed("Cloud copy", FakeGoogleServer::driveRootID, true);
        const QString sub = seed("sub", folder, true);
        seed("kept.txt", folder);
        seed("excluded.tmp", sub);
        seed("elsewhere.txt", FakeGoogleServer::driveRootID);
        QJsonArray extras;
        for (int i = 0; i < 249; ++i)
            extras.append(QJsonObject { { "name", QString("extra-%1.txt").arg(i, 3, 10, QChar('0')) },
                { "mimeType", "text/plain" }, { "parents", QJsonArray { folder } } });
        m_server.seedDriveItems(extras);
        m_server.setKnobs({ { "drive.pageSizeCap", 100 } });

        GoogleDrivePlan plan = planOf({ "kept.txt" });
        plan.folderID = folder;
        const PreviewResult preview = previewAgainstServer(plan);
        QVERIFY2(preview, preview ? "" : qPrintable(preview.error().combined()));
        QCOMPARE(preview->totalDeletions, 250);
        QCOMPARE(preview->deletions.size(), 200);
        QCOMPARE(preview->deletions.first(), "extra-000.txt");
        QCOMPARE(preview->deletions.last(), "extra-199.txt");
        QVERIFY(!preview->deletions.contains("sub/excluded.tmp")); // sorts after the 200 shown
        const QJsonArray listings = m_server.requestsTo("/drive/v3/files");
        QVERIFY(!listings.isEmpty());
        for (const QJsonValue& request : listings)
            QCOMPARE(request["method"].toString(), "GET");
    }

    void listingFailures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");

        QTest::newRow("refused") << "403"
                                 << "Google Drive returned HTTP 403. Insufficient permissions";
        QTest::newRow("too many items")
            << "synthetic"
            << "The Drive folder listing has more than 250,000 items and cannot be indexed safely.";
    }

    void listingFailures()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        if (fault == "403")
            m_server.addFaults({ QJsonObject { { "method", "GET" }, { "status", 403 },
                { "body", "{\"error\":{\"message\":\"Insufficient permissions\"}}" } } });
        else
            m_server.setKnobs({ { "drive.synthetic", 260'000 } });
        GoogleDrivePlan plan = planOf({});
        plan.folderID = FakeGoogleServer::driveRootID;
        const PreviewResult preview = previewAgainstServer(plan);
        QVERIFY(!preview);
        QCOMPARE(preview.error(),
            PreflightFailure(
                "Mirror preview failed", message, QString("Nothing was deleted."), false, "cloud"));
    }
};

QTEST_GUILESS_MAIN(tst_DrivePreview)
#include "tst_DrivePreview.moc"
