#include "support/CountingSecretBackend.h"
#include "support/FakeBrowser.h"
#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/ManualClock.h"
#include "support/RecordingSystemLog.h"
#include "support/TaskOutcome.h"
#include "support/TempDir.h"

#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleDriveClient.h"
#include "google/GoogleEndpoints.h"
#include "model/ConfigurationStore.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QtTest>

using namespace mv;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;

// A Drive client whose tokens come from a signed-in account manager: a token Drive refuses is dropped from
// the manager's cache and refreshed with the stored refresh token.
class tst_GoogleDriveAccount : public FakeGoogleSuite {
    Q_OBJECT

private Q_SLOTS:
    void refusedTokenIsRefreshedThroughTheAccount()
    {
        test::TempDir dir;
        test::ManualClock clock;
        ConfigurationStore store(dir.path(), clock);
        test::CountingSecretBackend backend;
        GoogleCredentialStore credentials(backend);
        QNetworkAccessManager network;
        test::FakeBrowser browser;
        test::RecordingSystemLog log;
        const GoogleEndpoints endpoints = GoogleEndpoints::at(m_server.baseUrl());
        GoogleAuthManager manager(store, credentials, network, browser, endpoints, clock, log);

        const QJsonObject client { { "installed",
            QJsonObject { { "client_id", FakeGoogleServer::clientID },
                { "client_secret", FakeGoogleServer::clientSecret } } } };
        const QString path = dir.write("client.json", QJsonDocument(client).toJson());
        QVERIFY(!test::waitForOutcome(manager.importClientFile(path)).error);
        QVERIFY(!test::waitForOutcome(manager.connect()).error);
        QVERIFY(manager.account().has_value());

        GoogleDriveClient drive(
            network, endpoints, manager, [](std::chrono::milliseconds) -> QCoro::Task<> { co_return; });
        QVERIFY(!test::waitForOutcome(drive.folder("root")).error);
        const qsizetype tokenRequests = m_server.requestsTo("/token").size();

        m_server.expireAccessTokens();
        const auto read = test::waitForOutcome(drive.folder("root"));
        QVERIFY(!read.error);
        QCOMPARE(read.value->id, FakeGoogleServer::driveRootID);
        QCOMPARE(m_server.requestsTo("/drive/v3/files/root").size(), 3);
        QCOMPARE(m_server.requestsTo("/token").size(), tokenRequests + 1);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveAccount)
#include "tst_GoogleDriveAccount.moc"
