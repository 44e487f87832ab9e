#include "support/CountingSecretBackend.h"
#include "support/EnumCompare.h"
#include "support/FakeBrowser.h"
#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/ManualClock.h"
#include "support/RecordingSystemLog.h"
#include "support/TaskOutcome.h"
#include "support/TempDir.h"

#include "drive/RunPlanning.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleEndpoints.h"
#include "model/ConfigurationStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QtTest>

#include <memory>

using namespace mv;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;
using PlanResult = std::expected<GoogleDrivePlan, PreflightFailure>;

namespace {

const QString folderType = QString::fromLatin1(GoogleDriveItem::folderMimeType);

// The Drive items the fake holds, as JSON objects.
QList<QJsonObject> driveItems(FakeGoogleServer& server)
{
    QList<QJsonObject> items;
    for (const QJsonValue& item : server.state()["drive"].toObject()["items"].toObject())
        items << item.toObject();
    return items;
}

// The ids of the non-trashed folders called `name` in `parent`.
QStringList foldersNamed(FakeGoogleServer& server, const QString& name, const QString& parent)
{
    QStringList ids;
    for (const QJsonObject& item : driveItems(server))
        if (item["name"] == name && item["mimeType"] == folderType && !item["trashed"].toBool()
            && item["parents"].toArray().contains(parent))
            ids << item["id"].toString();
    return ids;
}

QString idOf(const QJsonValue& item)
{
    return item.toObject().value("id").toString();
}

// A signed-in account against the fake server, a source folder, and a job with one Drive destination.
struct Planning {
    explicit Planning(FakeGoogleServer& server)
        : server(server)
        , store(configDir.path(), clock)
        , credentials(backend)
        , endpoints(GoogleEndpoints::at(server.baseUrl()))
        , auth(store, credentials, network, browser, endpoints, clock, log)
    {
        job.id = QUuid::createUuid();
        job.name = "Documents";
        job.source.path = source.path();
        destination.id = QUuid::createUuid();
        destination.name = "Cloud copy";
        destination.kind = DestinationKind::googleDrive;
        source.write("a.txt", "alpha");
        source.write("sub/b.txt", "bravo!");
    }

    void configure()
    {
        const QJsonObject client { { "installed",
            QJsonObject { { "client_id", FakeGoogleServer::clientID },
                { "client_secret", FakeGoogleServer::clientSecret } } } };
        const QString path = configDir.write("client.json", QJsonDocument(client).toJson());
        QVERIFY(!test::waitForOutcome(auth.importClientFile(path)).error);
    }

    void signIn()
    {
        configure();
        QVERIFY(!test::waitForOutcome(auth.connect()).error);
        QVERIFY(auth.account().has_value());
    }

    PlanResult plan()
    {
        const GoogleDriveConnection connection { &network, endpoints.driveApiBase,
            [](std::chrono::milliseconds) -> QCoro::Task<> { co_return; } };
        return *test::waitForOutcome(
            GoogleDriveEngine::makePlan(
                job, destination, GoogleDriveEngine::PlanningServices { auth, credentials, connection, log }))
                    .value;
    }

    // What planning wrote to the system log (the sign-in writes there too).
    QStringList planningLog() const { return log.lines().filter(QRegularExpression("^Google Drive ")); }

    // The application folder's id, creating it as planning would.
    QString applicationFolder()
    {
        const QStringList found = foldersNamed(server, "Marrowvale", FakeGoogleServer::driveRootID);
        if (!found.isEmpty())
            return found.first();
        return idOf(server
                        .seedDriveItems({ QJsonObject { { "name", "Marrowvale" }, { "mimeType", folderType },
                            { "parents", QJsonArray { FakeGoogleServer::driveRootID } } } })
                        .first());
    }

    FakeGoogleServer& server;
    test::TempDir configDir;
    test::TempDir source;
    test::ManualClock clock;
    ConfigurationStore store;
    test::CountingSecretBackend backend;
    GoogleCredentialStore credentials;
    QNetworkAccessManager network;
    test::FakeBrowser browser;
    test::RecordingSystemLog log;
    GoogleEndpoints endpoints;
    GoogleAuthManager auth;
    BackupJob job;
    BackupDestination destination;
};

} // namespace

class tst_DrivePlanning : public FakeGoogleSuite {
    Q_OBJECT

private Q_SLOTS:
    // Each failure, in the order the checks run, with every field the user sees.
    void failures_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("recovery"); // "-" for none
        QTest::addColumn<bool>("temporary");
        QTest::addColumn<QString>("symbol");

        QTest::newRow("F1 not configured, not signed in")
            << "unconfigured"
            << "Google Drive is not configured"
            << "Import the OAuth client JSON and sign in with Google first."
            << "Open Settings → Google Drive." << false << "cloud";
        const QString signIn = "Open Settings → Google Drive and click Sign in with Google.";
        QTest::newRow("F2 not signed in") << "signedOut"
                                          << "Sign in to Google Drive"
                                          << "This destination needs a Google account." << signIn << false
                                          << "person.crop.circle.badge.questionmark";
        QTest::newRow("F2 refresh token removed") << "noRefreshToken"
                                                  << "Sign in to Google Drive"
                                                  << "This destination needs a Google account." << signIn
                                                  << false << "person.crop.circle.badge.questionmark";
        QTest::newRow("F3 versioned override")
            << "versioned"
            << "Versioned mode is not available on Google Drive"
            << "Google Drive has no hard links, so snapshots would use full space."
            << "Use Incremental copy or Mirror for this destination." << false
            << "clock.badge.exclamationmark";
        QTest::newRow("F4 source missing")
            << "sourceMissing"
            << "Source unavailable"
            << "The source folder is not available."
            << "Reconnect the drive or choose another folder." << true << "folder.badge.questionmark";
        QTest::newRow("F5 other volume") << "otherVolume"
                                         << "The source drive changed"
                                         << "A different volume is mounted at SOURCE."
                                         << "Reconnect the original drive. Nothing was read or written."
                                         << true << "externaldrive.badge.exclamationmark";
        QTest::newRow("F6 mirror of only excluded items")
            << "onlyExcluded"
            << "Mirror stopped: nothing would be copied"
            << "The source has no items after exclusions. Mirror would remove every Drive file in this "
               "folder."
            << "Nothing was changed. Check the source drive, then review the exclusions." << false
            << "shield.lefthalf.filled";
        QTest::newRow("F7 nearly full") << "full"
                                        << "Google Drive is nearly full"
                                        << "The account uses 14.99 GB of 15 GB."
                                        << "Free Drive space or choose another account. Nothing was uploaded."
                                        << false << "externaldrive.badge.exclamationmark";
        QTest::newRow("F8 application folder refused")
            << "driveRefuses"
            << "Google Drive is unavailable"
            << "Google Drive returned HTTP 403. Insufficient permissions"
            << "Check the connection and sign in again. Nothing was changed." << true << "cloud";
    }

    void failures()
    {
        QFETCH(QString, situation);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QString, recovery);
        QFETCH(bool, temporary);
        QFETCH(QString, symbol);

        Planning planning(m_server);
        if (situation == "signedOut")
            planning.configure();
        else if (situation != "unconfigured")
            planning.signIn();
        if (situation == "noRefreshToken")
            QVERIFY(*test::waitForOutcome(planning.credentials.remove("refresh-token")).value);
        if (situation == "versioned")
            planning.destination.modeOverride = BackupMode::versioned;
        if (situation == "sourceMissing")
            planning.job.source.path = planning.source.filePath("gone");
        if (situation == "otherVolume") {
            planning.job.source.volumeIdentity = "fsid:0:0";
            message.replace("SOURCE", planning.source.path());
        }
        if (situation == "onlyExcluded") {
            planning.job.mode = BackupMode::mirror;
            QVERIFY(QFile::remove(planning.source.filePath("a.txt")));
            QVERIFY(QDir(planning.source.filePath("sub")).removeRecursively());
            planning.source.write(".DS_Store", "finder");
        }
        if (situation == "full")
            m_server.setKnobs({ { "drive.quota",
                QJsonObject { { "limit", "15000000000" }, { "usage", "14990000000" } } } });
        if (situation == "driveRefuses")
            m_server.addFaults({ QJsonObject { { "method", "GET" }, { "path", "/drive/v3/files" },
                { "status", 403 }, { "body", "{\"error\":{\"message\":\"Insufficient permissions\"}}" } } });

        const PlanResult result = planning.plan();
        QVERIFY(!result);
        QCOMPARE(result.error().title, title);
        QCOMPARE(result.error().message, message);
        QCOMPARE(result.error().recovery.value_or("-"), recovery);
        QCOMPARE(result.error().isTemporary, temporary);
        QCOMPARE(result.error().symbol, symbol);
        if (situation == "driveRefuses")
            QCOMPARE(planning.planningLog(), QStringList { "Google Drive plan failed: " + message });
        // Checks before the Drive folders send nothing to Drive.
        if (situation != "full" && situation != "driveRefuses")
            QCOMPARE(m_server.requestsTo("/drive/v3/files").size(), 0);
    }

    // A mirror override on a versioned job plans as mirror, in a folder of the destination's name (one Drive
    // name, "/" and all) in the application folder, with the scanned source and working token closures.
    void planHoldsTheScannedSourceAndTheDriveFolder()
    {
        Planning planning(m_server);
        planning.signIn();
        planning.job.mode = BackupMode::versioned;
        planning.destination.modeOverride = BackupMode::mirror;
        planning.destination.googleFolderName = "Laptop/Documents";
        planning.source.write(".hidden", "h");

        const PlanResult plan = planning.plan();
        QVERIFY2(plan, plan ? "" : qPrintable(plan.error().combined()));
        QCOMPARE(plan->mode, BackupMode::mirror);
        QCOMPARE(plan->jobID, planning.job.id);
        QCOMPARE(plan->destinationName, "Cloud copy");
        QCOMPARE(plan->account, *planning.auth.account());
        QCOMPARE(plan->sourcePath, planning.source.path());
        QCOMPARE(plan->folderName, "Laptop/Documents");
        const QString application = planning.applicationFolder();
        QCOMPARE(foldersNamed(m_server, "Laptop/Documents", application), QStringList { plan->folderID });
        QStringList paths;
        for (const GoogleLocalFile& file : plan->files)
            paths << file.relativePath;
        QCOMPARE(paths, (QStringList { ".hidden", "a.txt", "sub/b.txt" }));
        QCOMPARE(plan->directories, QStringList { "sub" });
        QCOMPARE(plan->totalBytes, 12);
        QVERIFY(plan->warnings.isEmpty());
        QVERIFY(!plan->scopedURL);

        QCOMPARE(QCoro::waitFor(plan->tokenProvider()).isEmpty(), false);
        QVERIFY(plan->tokenRefresh);

        // A second plan finds the same folders instead of making new ones.
        const PlanResult again = planning.plan();
        QVERIFY(again);
        QCOMPARE(again->folderID, plan->folderID);
        QCOMPARE(foldersNamed(m_server, "Marrowvale", FakeGoogleServer::driveRootID).size(), 1);
    }

    // The reserve is exactly 20 MiB above the usage; unknown limits and a failing quota request pass.
    void quota_data()
    {
        QTest::addColumn<QJsonValue>("quota"); // the fake's knob
        QTest::addColumn<bool>("quotaFails");
        QTest::addColumn<QString>("failure"); // the message, empty when planning passes

        QTest::newRow("exactly the reserve")
            << QJsonValue(QJsonObject { { "limit", "21971520" }, { "usage", "1000000" } }) << false << "";
        QTest::newRow("one byte short")
            << QJsonValue(QJsonObject { { "limit", "21971519" }, { "usage", "1000000" } }) << false
            << "The account uses 1 MB of 22 MB.";
        QTest::newRow("usage absent") << QJsonValue(QJsonObject { { "limit", "20971519" } }) << false
                                      << "The account uses Zero bytes of 21 MB.";
        QTest::newRow("unlimited") << QJsonValue(QJsonObject { { "usage", "99000000000" } }) << false << "";
        QTest::newRow("quota request fails") << QJsonValue(QJsonObject {}) << true << "";
    }

    void quota()
    {
        QFETCH(QJsonValue, quota);
        QFETCH(bool, quotaFails);
        QFETCH(QString, failure);
        Planning planning(m_server);
        planning.signIn();
        m_server.setKnobs({ { "drive.quota", quota } });
        if (quotaFails)
            m_server.addFaults({ QJsonObject { { "path", "/drive/v3/about" }, { "status", 403 },
                { "body", "{\"error\":{\"message\":\"Rate limit\"}}" } } });

        const PlanResult plan = planning.plan();
        QCOMPARE(plan ? QString() : plan.error().message, failure);
        QCOMPARE(planning.planningLog(),
            quotaFails ? QStringList { "Google Drive quota check skipped: Google Drive returned HTTP 403. "
                                       "Rate limit" }
                       : QStringList {});
    }

    // A stored folder is used wherever it lives while it is a folder outside the trash; when it is gone,
    // trashed or a file, the folder is found or made by name; any other failure to read it fails the plan.
    void storedFolder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("byName");

        QTest::newRow("a folder elsewhere") << "folder" << false;
        QTest::newRow("a trashed folder") << "trashed" << true;
        QTest::newRow("a file") << "file" << true;
        QTest::newRow("gone (404)") << "gone" << true;
        QTest::newRow("unavailable (503)") << "unavailable" << false;
    }

    void storedFolder()
    {
        QFETCH(QString, stored);
        QFETCH(bool, byName);
        Planning planning(m_server);
        planning.signIn();
        QJsonObject seeded { { "name", "Old name" }, { "mimeType", folderType },
            { "parents", QJsonArray { FakeGoogleServer::driveRootID } } };
        if (stored == "trashed")
            seeded["trashed"] = true;
        if (stored == "file")
            seeded["mimeType"] = "text/plain";
        const QString storedID = idOf(m_server.seedDriveItems({ seeded }).first());
        planning.destination.googleFolderID
            = stored == "gone" ? "1gonegonegonegonegonegonegonegone" : storedID;
        const QString path = "/drive/v3/files/" + *planning.destination.googleFolderID;
        if (stored == "unavailable")
            m_server.addFaults({ QJsonObject { { "method", "GET" }, { "path", path }, { "status", 503 } } });

        const PlanResult plan = planning.plan();
        const QStringList named = foldersNamed(m_server, "Cloud copy", planning.applicationFolder());
        if (stored == "unavailable") {
            QVERIFY(!plan);
            QCOMPARE(plan.error().title, "Google Drive is unavailable");
            QVERIFY(named.isEmpty());
            return;
        }
        QVERIFY2(plan, plan ? "" : qPrintable(plan.error().combined()));
        QCOMPARE(plan->folderID, byName ? named.value(0) : storedID);
        QCOMPARE(named.size(), byName ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_DrivePlanning)
#include "tst_DrivePlanning.moc"
