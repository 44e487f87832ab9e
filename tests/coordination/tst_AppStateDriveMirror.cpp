#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/TaskOutcome.h"
#include "support/TempDir.h"
#include "support/state/AppStateHarness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <qcoro/qcorotask.h>

using namespace mv;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;

namespace {

const QString folderType = QString::fromLatin1(GoogleDriveItem::folderMimeType);

QString seed(FakeGoogleServer& server, const QString& name, const QString& parent, bool folder = false)
{
    return server
        .seedDriveItems({ QJsonObject { { "name", name }, { "mimeType", folder ? folderType : "text/plain" },
            { "parents", QJsonArray { parent } } } })
        .first()
        .toObject()["id"]
        .toString();
}

} // namespace

// A manual run of a Drive mirror destination previews the Drive files it would trash before it runs.
class tst_AppStateDriveMirror : public FakeGoogleSuite {
    Q_OBJECT

    // A signed-in hub holding one job whose source has a.txt, mirrored to the Drive folder "Cloud".
    BackupJob prepare(test::AppStateHarness& hub)
    {
        hub.endpoints = GoogleEndpoints::at(m_server.baseUrl());
        hub.files.write("source/a.txt", "alpha");
        BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
        job.name = "Docs";
        job.source.path = hub.files.filePath("source");
        job.mode = BackupMode::mirror;
        BackupDestination destination;
        destination.id = QUuid::createUuid();
        destination.name = "Cloud";
        destination.kind = DestinationKind::googleDrive;
        job.destinations = { destination };
        AppConfiguration config = hub.store.config();
        config.jobs = { job };
        hub.store.setConfig(config);
        hub.build();

        const QJsonObject client { { "installed",
            QJsonObject { { "client_id", FakeGoogleServer::clientID },
                { "client_secret", FakeGoogleServer::clientSecret } } } };
        const QString path = hub.files.write("client.json", QJsonDocument(client).toJson());
        if (test::waitForOutcome(hub.state->googleAuth().importClientFile(path)).error
            || test::waitForOutcome(hub.state->googleAuth().connect()).error)
            qFatal("cannot sign in to the fake Google server");
        return job;
    }

private Q_SLOTS:
    // Asked for twice quickly: one plan, one preview, one prompt naming the first 200 of 250 extras.
    void extrasRaiseOnePrompt()
    {
        test::AppStateHarness hub;
        const BackupJob job = prepare(hub);
        const QString application = seed(m_server, "Marrowvale", FakeGoogleServer::driveRootID, true);
        const QString folder = seed(m_server, "Cloud", application, true);
        seed(m_server, "a.txt", folder);
        QJsonArray extras;
        for (int i = 0; i < 250; ++i)
            extras.append(QJsonObject { { "name", QString("old-%1.txt").arg(i, 3, 10, QChar('0')) },
                { "mimeType", "text/plain" }, { "parents", QJsonArray { folder } } });
        m_server.seedDriveItems(extras);
        JobActions& actions = hub.state->jobActions();

        auto first = actions.requestRun(job, job.destinations[0]);
        QVERIFY(actions.mirrorCheckInProgress());
        QCoro::waitFor(actions.requestRun(job, job.destinations[0])); // dropped while checking
        QCoro::waitFor(std::move(first));

        QVERIFY(!actions.mirrorCheckInProgress());
        QVERIFY(actions.mirrorPrompt());
        QCOMPARE(actions.mirrorPrompt()->preview.totalDeletions, 250);
        QCOMPARE(actions.mirrorPrompt()->preview.deletions.size(), 200);
        QCOMPARE(actions.mirrorPrompt()->preview.deletions.first(), "old-000.txt");
        QCOMPARE(actions.mirrorPrompt()->destination.id, job.destinations[0].id);
        QCOMPARE(m_server.requestsTo("/drive/v3/about").size(), 1); // one plan
        QVERIFY(hub.state->coordinator().runs().isEmpty());
        QVERIFY(!hub.state->coordinator().issue());
    }

    // A failed plan is the coordinator's issue, temporary as the failure says, and neither prompt nor run.
    void failedPlanBecomesTheIssue()
    {
        test::AppStateHarness hub;
        const BackupJob job = prepare(hub);
        m_server.addFaults({ QJsonObject { { "method", "GET" }, { "path", "/drive/v3/files" },
            { "status", 403 }, { "body", "{\"error\":{\"message\":\"Insufficient permissions\"}}" } } });

        QCoro::waitFor(hub.state->jobActions().requestRun(job, job.destinations[0]));
        QVERIFY(!hub.state->jobActions().mirrorPrompt());
        QVERIFY(hub.state->coordinator().issue());
        QCOMPARE(hub.state->coordinator().issue()->title, "Google Drive is unavailable");
        QCOMPARE(hub.state->coordinator().issue()->message,
            "Google Drive returned HTTP 403. Insufficient permissions");
        QCOMPARE(hub.state->coordinator().issue()->isTemporary, true);
        QVERIFY(hub.state->coordinator().runs().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_AppStateDriveMirror)
#include "tst_AppStateDriveMirror.moc"
