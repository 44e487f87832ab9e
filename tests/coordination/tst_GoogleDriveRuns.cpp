#include "google/GoogleDriveItem.h"
#include "support/CoordinatorHarness.h"
#include "support/EnumCompare.h"
#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/TaskOutcome.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace mv;
using namespace std::chrono_literals;
using mv::test::drive;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;
using mv::test::local;
using mv::test::Place;

using Harness = mv::test::CoordinatorHarness;

namespace {

const QString folderType = QString::fromLatin1(GoogleDriveItem::folderMimeType);
const QString account = QStringLiteral("person@example.com"); // the fake server's account

// The upload requests that start a session for a new file.
constexpr char uploadPath[] = "/upload/drive/v3/files";

QString md5(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

// Every change of the run's entry while it is in `runs`, in order.
struct EntryRecorder {
    QList<RunProgress> seen;

    EntryRecorder(Harness& h, const RunKey& key)
    {
        QObject::connect(&h.coordinator, &BackupCoordinator::runChanged, &h.coordinator,
            [this, &h, key](const RunKey& changed) {
                if (const auto run = h.coordinator.run(changed); run && changed == key)
                    seen.append(run->progress);
            });
    }

    // The (phase, message) pairs in order, each repeat once.
    QStringList phases() const
    {
        QStringList texts;
        for (const RunProgress& progress : seen) {
            const QString text = toString(progress.phase) + u'|' + progress.message.value_or(QString());
            if (texts.isEmpty() || texts.last() != text)
                texts.append(text);
        }
        return texts;
    }
};

} // namespace

// Backups to Google Drive through the coordinator: planning, the mirror preview, the upload with its
// progress, pause and cancel, retries that resume, and the three endings, against the fake Google server.
class tst_GoogleDriveRuns : public FakeGoogleSuite {
    Q_OBJECT

    // Imports the fake server's client and signs in through the harness's browser.
    void signIn(Harness& h)
    {
        const QJsonObject client { { "installed",
            QJsonObject { { "client_id", FakeGoogleServer::clientID },
                { "client_secret", FakeGoogleServer::clientSecret } } } };
        const QString path = h.files.write("client.json", QJsonDocument(client).toJson());
        if (test::waitForOutcome(h.googleAuth.importClientFile(path)).error
            || test::waitForOutcome(h.googleAuth.connect()).error || !h.googleAuth.account())
            qFatal("cannot sign in to the fake Google server");
    }

    QString seed(const QString& name, const QString& parent, bool folder = false)
    {
        return m_server.seedDriveItem(name, parent, folder ? folderType : "text/plain");
    }

    // The Drive items (trashed ones too) whose parent is `parentID`, by name.
    QHash<QString, QJsonObject> children(const QString& parentID)
    {
        QHash<QString, QJsonObject> found;
        const QJsonObject items = m_server.state()["drive"].toObject()["items"].toObject();
        for (const QJsonValue& value : items) {
            const QJsonObject item = value.toObject();
            if (item["parents"].toArray().contains(parentID))
                found.insert(item["name"].toString(), item);
        }
        return found;
    }

    // The folder a destination named "Cloud" writes to, below the application's folder.
    QString cloudFolderID()
    {
        const QString application
            = children(FakeGoogleServer::driveRootID).value("Marrowvale")["id"].toString();
        return children(application).value("Cloud")["id"].toString();
    }

    int requestsToUpload(const QString& method)
    {
        int count = 0;
        for (const QJsonValue& request : m_server.requestsTo(uploadPath))
            count += request.toObject()["method"] == method;
        return count;
    }
    int sessionsStarted() { return requestsToUpload("POST"); }
    // The fake records a PUT before a delay rule holds its answer: the run is then under way with bytes in
    // flight, and no longer between pieces, where a pause would hold it.
    int chunksInFlightOrSent() { return requestsToUpload("PUT"); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_server.isRunning());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    // A first run uploads the tree and records it; a second finds everything in Drive and uploads nothing.
    void firstRunUploadsSecondRunSkips()
    {
        Harness h(m_server.baseUrl());
        signIn(h);
        MV_TRY_VERIFY(h.notifications.authorized());
        const BackupJob job = h.addJob("Docs", drive("Cloud"));
        h.files.write("sources/Docs/notes/c.txt", "gamma");
        EntryRecorder entry(h, Harness::key(job));
        const RunKey key = h.enqueue(job);

        MV_TRY_COMPARE(h.recorded, 1);
        const BackupRunRecord row = h.rows().front();
        QCOMPARE(row.result, RunResult::success);
        QCOMPARE(row.bytesTransferred, qint64(5 + 4 + 5));
        QCOMPARE(row.filesCopied, qint64(3));
        QCOMPARE(row.filesUpdated, qint64(0));
        QCOMPARE(row.filesDeleted, qint64(0));
        QCOMPARE(row.errorSummary, std::nullopt);
        QCOMPARE(row.endedAt, std::optional(h.clock.now()));
        QVERIFY(row.logPath && QFileInfo::exists(*row.logPath));

        const QString folderID = cloudFolderID();
        QVERIFY(!folderID.isEmpty());
        const auto uploaded = children(folderID);
        QCOMPARE(uploaded.value("a.txt")["md5Checksum"].toString(), md5("alpha"));
        QCOMPARE(uploaded.value("b.txt")["md5Checksum"].toString(), md5("beta"));
        const QString notesID = uploaded.value("notes")["id"].toString();
        QCOMPARE(children(notesID).value("c.txt")["md5Checksum"].toString(), md5("gamma"));

        const BackupDestination status = h.destination(key);
        QCOMPARE(h.lastResult(key), "success");
        QCOMPARE(status.lastSuccess, std::optional(h.clock.now()));
        QCOMPARE(status.lastAttempt, std::optional(h.clock.now()));
        QCOMPARE(status.lastError, std::nullopt);
        QCOMPARE(status.googleFolderID, std::optional(folderID));
        QCOMPARE(status.googleAccount, std::optional(account));

        const QStringList phases = entry.phases();
        QCOMPARE(phases.mid(0, 2),
            QStringList({ "preparing|Checking folders", "preparing|Finding files to back up" }));
        QVERIFY2(phases.contains("running|Checking Google Drive"), qPrintable(phases.join(", ")));
        QCOMPARE(phases.last(), "completed|Google Drive backup complete");
        // Figures only grow while the upload runs; the final entry reports the whole tree.
        qint64 filesDone = 0;
        for (const RunProgress& progress : entry.seen) {
            if (progress.phase != RunPhase::running)
                continue;
            QVERIFY(progress.filesCompleted >= filesDone);
            filesDone = progress.filesCompleted;
            QCOMPARE(progress.filesTotal, qint64(3));
        }
        const RunProgress final = h.progress(key);
        QCOMPARE(final.fraction, std::optional(1.0));
        QCOMPARE(final.filesCompleted, qint64(3));
        QCOMPARE(final.bytesTransferred, qint64(14));
        QVERIFY(!h.coordinator.issue());
        QCOMPARE(h.finished, QList<RunKey> { key });

        h.clock.advance(1min); // the second run's row is the newer
        const int sessions = sessionsStarted();
        QCOMPARE(sessions, 3);
        h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 2);
        const BackupRunRecord again = h.rows().front();
        QVERIFY(again.id != row.id);
        QCOMPARE(again.result, RunResult::success);
        QCOMPARE(again.bytesTransferred, qint64(0));
        QCOMPARE(again.filesCopied, qint64(0));
        QCOMPARE(sessionsStarted(), sessions);
        QCOMPARE(h.progress(key).filesCompleted, qint64(3)); // skipped ones count as done
        // A small, quick success is not worth a desktop notice.
        QVERIFY(h.server.settle(h.bus.connection()));
        QVERIFY(h.server.notices().isEmpty());
    }

    // A mirror trashes the Drive files the source lacks only when the user confirmed it, or when there is
    // nothing to trash; otherwise it asks first and changes nothing.
    void mirrorTrashesOnlyWhenConfirmed_data()
    {
        QTest::addColumn<bool>("extra"); // Drive holds old.txt, which the source lacks
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<RunResult>("result");
        QTest::newRow("confirmed, with an extra") << true << true << RunResult::success;
        QTest::newRow("unconfirmed, with an extra") << true << false << RunResult::skipped;
        QTest::newRow("unconfirmed, nothing to trash") << false << false << RunResult::success;
    }
    void mirrorTrashesOnlyWhenConfirmed()
    {
        QFETCH(bool, extra);
        QFETCH(bool, confirmed);
        QFETCH(RunResult, result);
        Harness h(m_server.baseUrl());
        signIn(h);
        MV_TRY_VERIFY(h.notifications.authorized());
        const QString application = seed("Marrowvale", FakeGoogleServer::driveRootID, true);
        const QString folder = seed("Cloud", application, true);
        const QString kept = seed("a.txt", folder);
        if (extra)
            seed("old.txt", folder);
        const RunKey key = h.enqueue(h.addJob("Docs", drive("Cloud"), BackupMode::mirror), confirmed);

        MV_TRY_COMPARE(h.recorded, 1);
        const BackupRunRecord row = h.rows().front();
        QCOMPARE(row.result, result);
        const auto items = children(folder);
        if (result == RunResult::skipped) {
            const QString waiting
                = "Mirror would delete 1 items at Docs SSD. Open the dashboard to review and confirm.";
            QCOMPARE(row.errorSummary, std::optional(waiting));
            QCOMPARE(h.phase(key), "waiting");
            QCOMPARE(h.message(key), "Needs confirmation");
            QCOMPARE(h.coordinator.issue()->title, "Mirror needs confirmation");
            QCOMPARE(items.value("old.txt")["trashed"].toBool(), false);
            QCOMPARE(sessionsStarted(), 0);
            MV_TRY_COMPARE(h.server.notices().size(), 1);
            QCOMPARE(h.server.notices().first().title, "Docs could not finish");
            return;
        }
        QCOMPARE(row.filesDeleted, qint64(extra ? 1 : 0));
        // The engine's warnings make no failure: the first is the summary and the entry's last word.
        const QString removed
            = QStringLiteral("Removed %1 Drive files not present in the source.").arg(extra ? 1 : 0);
        QCOMPARE(row.errorSummary, std::optional(removed));
        QCOMPARE(h.message(key), removed);
        QCOMPARE(h.destination(key).lastError, std::optional(removed));
        if (extra)
            QCOMPARE(items.value("old.txt")["trashed"].toBool(), true);
        QCOMPARE(items.value("a.txt")["id"].toString(), kept); // replaced in place, never trashed
        QCOMPARE(items.value("a.txt")["trashed"].toBool(), false);
        QCOMPARE(items.value("b.txt")["md5Checksum"].toString(), md5("beta"));
        QCOMPARE(h.phase(key), "completed");
    }

    // A cancel ends the run cancelled, with what the stopped (or the last failed) attempt had uploaded;
    // what was uploaded stays in Drive.
    void cancel_data()
    {
        QTest::addColumn<bool>("duringRetryWait"); // else while a file is on its way
        QTest::newRow("during an upload") << false;
        QTest::newRow("during the retry countdown") << true;
    }
    void cancel()
    {
        QFETCH(bool, duringRetryWait);
        Harness h(m_server.baseUrl());
        signIn(h);
        MV_TRY_VERIFY(h.notifications.authorized());
        h.settings([](AppSettings& s) { s.retryAttempts = 1; });
        if (duringRetryWait) // a.txt goes up, then b.txt's session is refused
            m_server.addFaults({ QJsonObject { { "method", "POST" }, { "path", uploadPath }, { "nth", 2 },
                { "status", 403 }, { "body", "{\"error\":{\"code\":403,\"message\":\"Forbidden\"}}" } } });
        else // every file's bytes are held back, so the cancel finds the run uploading
            m_server.addFaults(
                { QJsonObject { { "method", "PUT" }, { "path", uploadPath }, { "delay", 60 } } });
        const RunKey key = h.enqueue(h.addJob("Docs", drive("Cloud")));
        if (duringRetryWait) {
            MV_TRY_COMPARE(h.phase(key), "waiting");
        } else {
            MV_TRY_VERIFY(chunksInFlightOrSent() > 0);
            QCOMPARE(h.phase(key), "running");
        }

        h.coordinator.cancel(key.jobID, key.destinationID);
        QCOMPARE(h.phase(key), "cancelling");
        QCOMPARE(h.message(key), "Stopping safely");
        MV_TRY_COMPARE(h.recorded, 1);

        const BackupRunRecord row = h.rows().front();
        QCOMPARE(row.result, RunResult::cancelled);
        QCOMPARE(row.errorSummary,
            std::optional(
                QStringLiteral("Cancelled by the user. Files already uploaded stay in Google Drive.")));
        // The row counts what is in Drive: a.txt when b.txt was refused, whatever got through otherwise.
        qint64 inDrive = 0;
        qint64 bytesInDrive = 0;
        for (const QJsonObject& item : children(cloudFolderID())) {
            inDrive += item["mimeType"] != folderType;
            bytesInDrive += item["size"].toString().toLongLong();
        }
        if (duringRetryWait)
            QCOMPARE(inDrive, qint64(1));
        QCOMPARE(row.filesCopied, inDrive);
        QCOMPARE(row.bytesTransferred, bytesInDrive);
        QCOMPARE(row.endedAt, std::optional(h.clock.now()));
        QVERIFY(row.logPath);
        const BackupDestination status = h.destination(key);
        QCOMPARE(h.lastResult(key), "cancelled");
        QCOMPARE(status.lastError, std::optional(QStringLiteral("Cancelled")));
        QCOMPARE(status.lastAttempt, std::optional(h.clock.now()));
        QCOMPARE(status.lastSuccess, std::nullopt);
        QCOMPARE(status.googleFolderID, std::nullopt); // a cancel records no folder
        QCOMPARE(h.phase(key), "cancelled");
        QCOMPARE(h.message(key), "Cancelled. Files already uploaded were kept.");
        QVERIFY(!h.coordinator.issue());
        QVERIFY(h.server.settle(h.bus.connection()));
        QVERIFY(h.server.notices().isEmpty());
        if (duringRetryWait)
            QCOMPARE(children(cloudFolderID()).value("a.txt")["md5Checksum"].toString(), md5("alpha"));
    }

    // A pause holds the run at its next file and keeps the entry paused whatever progress still arrives;
    // a resume lets it finish.
    void pauseHoldsTheRunUntilResumed()
    {
        Harness h(m_server.baseUrl());
        signIn(h);
        // The first file's bytes are held back a moment, so the pause finds the run uploading.
        m_server.addFaults(
            { QJsonObject { { "method", "PUT" }, { "path", uploadPath }, { "delay", 3 }, { "times", 1 } } });
        const RunKey key = h.enqueue(h.addJob("Docs", drive("Cloud")));
        MV_TRY_VERIFY(chunksInFlightOrSent() > 0);
        QCOMPARE(h.phase(key), "running");

        h.coordinator.pause(key.jobID, key.destinationID);
        QCOMPARE(h.phase(key), "paused");
        QCOMPARE(h.message(key), "Paused");
        MV_TRY_COMPARE(h.progress(key).filesCompleted, qint64(1)); // a.txt arrived while paused
        QCOMPARE(h.phase(key), "paused");
        QCOMPARE(sessionsStarted(), 1); // b.txt waits for the resume

        h.coordinator.resume(key.jobID, key.destinationID);
        QCOMPARE(h.phase(key), "running");
        MV_TRY_COMPARE(h.recorded, 1);
        QCOMPARE(h.rows().front().result, RunResult::success);
        QCOMPARE(h.rows().front().filesCopied, qint64(2));
    }

    // A failed upload waits and tries again; the next attempt plans afresh and continues the file's
    // upload session where Drive stopped instead of sending it again from the start.
    void failedAttemptIsRetriedAndResumes()
    {
        Harness h(m_server.baseUrl());
        signIn(h);
        h.settings([](AppSettings& s) {
            s.retryAttempts = 1;
            s.retryDelaySeconds = 2; // waits at least 5 s
        });
        const QByteArray big(2 * 1048576 + 1000, 'z');
        const BackupJob job = h.addJob("Docs", drive("Cloud"));
        h.files.write("sources/Docs/big.bin", big);
        const QString secondChunk = QStringLiteral("bytes 1048576-2097151/%1").arg(big.size());
        m_server.addFaults({ QJsonObject { { "method", "PUT" }, { "path", uploadPath },
            { "header", QJsonObject { { "Content-Range", secondChunk } } }, { "status", 403 },
            { "body", "{\"error\":{\"code\":403,\"message\":\"The user rate limit was exceeded\"}}" } } });
        const RunKey key = h.enqueue(job);

        MV_TRY_COMPARE(h.phase(key), "waiting");
        QCOMPARE(h.message(key), "Retrying in 5s (1/1)");
        QCOMPARE(h.rows().front().result, RunResult::running);
        control("DELETE", "faults");
        h.clock.advance(4s);
        QCOMPARE(h.phase(key), "waiting");
        h.clock.advance(1s);
        MV_TRY_COMPARE(h.recorded, 1);

        QCOMPARE(h.rows().size(), size_t(1));
        QCOMPARE(h.rows().front().result, RunResult::success);
        const auto items = children(cloudFolderID());
        QCOMPARE(items.value("big.bin")["md5Checksum"].toString(), md5(big));
        // One session for big.bin over both attempts, and its first mebibyte was sent once.
        int bigSessions = 0;
        for (const QJsonValue& session : m_server.state()["upload"].toObject()["sessions"].toObject())
            bigSessions += session.toObject()["name"] == "big.bin";
        QCOMPARE(bigSessions, 1);
        int firstChunks = 0;
        for (const QJsonValue& request : m_server.requestsTo(uploadPath)) {
            for (const QJsonValue& header : request.toObject()["headers"].toArray()) {
                const QJsonArray pair = header.toArray();
                firstChunks += pair[0].toString().compare("Content-Range", Qt::CaseInsensitive) == 0
                    && pair[1].toString().startsWith("bytes 0-")
                    && pair[1].toString().endsWith(QStringLiteral("/%1").arg(big.size()));
            }
        }
        QCOMPARE(firstChunks, 1);
    }

    // The last failed attempt records the failure, raises the "could not upload" issue and notifies. The
    // destination's retry limit counts up to 5, and a delay under 5 s waits 5 s.
    void failureRaisesTheIssueAndNotifies_data()
    {
        QTest::addColumn<int>("retryLimit");
        QTest::addColumn<int>("retries");
        QTest::newRow("no retries") << 0 << 0;
        QTest::newRow("7 retries allowed, 5 made") << 7 << 5;
    }
    void failureRaisesTheIssueAndNotifies()
    {
        QFETCH(int, retryLimit);
        QFETCH(int, retries);
        Harness h(m_server.baseUrl());
        signIn(h);
        MV_TRY_VERIFY(h.notifications.authorized());
        h.settings([](AppSettings& s) { s.retryDelaySeconds = 2; });
        BackupJob job = h.addJob("Docs", drive("Cloud"));
        job.destinations[0].retryLimit = retryLimit;
        h.store.replaceJob(job);
        m_server.addFaults({ QJsonObject { { "method", "POST" }, { "path", uploadPath }, { "status", 403 },
            { "body",
                "{\"error\":{\"code\":403,\"message\":\"The user's Drive storage quota has been "
                "exceeded.\"}}" } } });
        const RunKey key = h.enqueue(job);
        for (int retry = 1; retry <= retries; ++retry) {
            MV_TRY_COMPARE(h.message(key), QStringLiteral("Retrying in 5s (%1/%2)").arg(retry).arg(retries));
            QCOMPARE(h.phase(key), "waiting");
            QVERIFY(!h.coordinator.issue());
            h.clock.advance(5s);
        }

        MV_TRY_COMPARE(h.recorded, 1);
        QCOMPARE(h.rows().size(), size_t(1));
        const BackupRunRecord row = h.rows().front();
        QCOMPARE(row.result, RunResult::failed);
        QVERIFY(row.errorSummary && !row.errorSummary->isEmpty());
        const QString message = *row.errorSummary;
        QVERIFY2(message.contains("quota has been exceeded"), qPrintable(message));
        QVERIFY(row.logPath && QFileInfo::exists(*row.logPath));
        const BackupDestination status = h.destination(key);
        QCOMPARE(h.lastResult(key), "failed");
        QCOMPARE(status.lastError, std::optional(message));
        QCOMPARE(status.lastSuccess, std::nullopt);
        QCOMPARE(status.googleFolderID, std::optional(cloudFolderID()));
        QCOMPARE(status.googleAccount, std::optional(account));
        QCOMPARE(h.phase(key), "failed");
        QCOMPARE(h.message(key), message);
        const CoordinatorIssue issue = *h.coordinator.issue();
        QCOMPARE(issue.title, "Docs could not upload");
        QCOMPARE(issue.message, message);
        QCOMPARE(issue.recovery,
            std::optional(
                QStringLiteral("Files already uploaded stay in Google Drive. Open Activity for the log.")));
        QCOMPARE(issue.symbol, "cloud");
        QCOMPARE(issue.isTemporary, false);
        MV_TRY_COMPARE(h.server.notices().size(), 1);
        QCOMPARE(h.server.notices().first().title, "Docs could not finish");
        QCOMPARE(h.server.notices().first().body, "Docs SSD: " + message);
    }

    // One writer per Drive folder holds for retries: a run whose retry wait ends while another job uploads
    // into its folder waits for that upload to end, then finds the files there and uploads nothing.
    void retryWaitsForAnotherJobsUpload()
    {
        Harness h(m_server.baseUrl());
        signIn(h);
        h.settings([](AppSettings& s) {
            s.retryAttempts = 1;
            s.retryDelaySeconds = 5;
        });
        m_server.addFaults({ QJsonObject { { "method", "POST" }, { "path", uploadPath }, { "times", 1 },
            { "status", 403 }, { "body", "{\"error\":{\"code\":403,\"message\":\"Forbidden\"}}" } } });
        const RunKey retrying = h.enqueue(h.addJob("Retrying", drive("Cloud")));
        MV_TRY_COMPARE(h.message(retrying), "Retrying in 5s (1/1)");

        // The writer's first bytes are held back a moment, so the pause finds it uploading.
        m_server.addFaults(
            { QJsonObject { { "method", "PUT" }, { "path", uploadPath }, { "delay", 3 }, { "times", 1 } } });
        const BackupJob other = h.addJob("Writer", drive("Cloud"));
        const RunKey writer = h.enqueue(other);
        MV_TRY_VERIFY(chunksInFlightOrSent() > 0);
        h.coordinator.pause(writer.jobID, writer.destinationID);
        QCOMPARE(h.phase(writer), "paused");

        h.clock.advance(5s);
        MV_TRY_COMPARE(
            h.message(retrying), "Writer is already writing to " + other.destinations[0].displayPath() + ".");
        QCOMPARE(h.phase(retrying), "waiting");

        h.coordinator.resume(writer.jobID, writer.destinationID);
        MV_TRY_COMPARE(h.recorded, 2);
        QCOMPARE(h.phase(writer), "completed");
        QCOMPARE(h.phase(retrying), "completed");
        const auto row = [&](const RunKey& key) {
            const std::vector<BackupRunRecord> rows = h.rows();
            return *std::find_if(rows.begin(), rows.end(),
                [&](const BackupRunRecord& r) { return r.destinationID == key.destinationID; });
        };
        QCOMPARE(row(writer).filesCopied, qint64(2));
        QCOMPARE(row(retrying).result, RunResult::success);
        QCOMPARE(row(retrying).filesCopied, qint64(0));
        // One copy of each file: the two runs never uploaded side by side.
        QStringList names;
        const QJsonObject items = m_server.state()["drive"].toObject()["items"].toObject();
        for (const QJsonValue& value : items) {
            const QJsonObject item = value.toObject();
            if (item["parents"].toArray().contains(cloudFolderID()) && !item["trashed"].toBool())
                names.append(item["name"].toString());
        }
        names.sort();
        QCOMPARE(names, QStringList({ "a.txt", "b.txt" }));
    }

    // A destination that has run (its account recorded) and one that never ran name the same Drive folder:
    // whichever is live, the other is refused as a second writer.
    void drivePlaceIsTheSameBeforeAndAfterAFirstRun_data()
    {
        QTest::addColumn<bool>("earlierFirst"); // the destination that has run is queued first
        QTest::newRow("the one that has run is writing") << true;
        QTest::newRow("the one that never ran is writing") << false;
    }
    void drivePlaceIsTheSameBeforeAndAfterAFirstRun()
    {
        QFETCH(bool, earlierFirst);
        Harness h(m_server.baseUrl());
        signIn(h);
        const BackupJob job = h.addJob("Earlier", drive("Cloud"));
        h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 1);
        const BackupJob earlier = *h.store.job(job.id);
        QCOMPARE(earlier.destinations[0].googleAccount, std::optional(account));
        const BackupJob later = h.addJob("Later", drive("Cloud"));

        const BackupJob& writing = earlierFirst ? earlier : later;
        const BackupJob& refused = earlierFirst ? later : earlier;
        h.enqueue(writing);
        const RunKey refusedKey = h.enqueue(refused);

        QCOMPARE(h.phase(Harness::key(writing)), "preparing");
        QVERIFY(h.coordinator.issue());
        QCOMPARE(h.coordinator.issue()->title, "Destination is busy");
        QCOMPARE(h.coordinator.issue()->message,
            writing.name + " is already writing to " + writing.destinations[0].displayPath() + ".");
        // Nothing was queued: the refused one keeps what it had, the first run's finished entry included.
        QCOMPARE(h.phase(refusedKey), earlierFirst ? "none" : "completed");
        QCOMPARE(h.lastResult(refusedKey), earlierFirst ? "none" : "success");
        MV_TRY_COMPARE(h.recorded, 2);
    }

    // Progress reaches the views at a calm rate whatever carries the bytes: over the whole run, at most
    // 12 changes of its entry a second, for an upload of many pieces as for an rsync copy of the same file.
    void progressReachesTheViewsCalmly_data()
    {
        QTest::addColumn<Place>("place");
        QTest::newRow("Google Drive") << drive("Cloud");
        QTest::newRow("rsync") << local("ssd");
    }
    void progressReachesTheViewsCalmly()
    {
        QFETCH(Place, place);
        Harness h(m_server.baseUrl());
        signIn(h);
        // Each run lasts a few seconds: 96 pieces of 1 MiB, each answered 30 ms late, or rsync held to
        // 24,000 KiB a second.
        constexpr qint64 size = 96 * 1048576;
        m_server.addFaults(
            { QJsonObject { { "method", "PUT" }, { "path", uploadPath }, { "delay", 0.03 } } });
        h.settings([](AppSettings& s) { s.bandwidthLimitKBps = 24000; });
        const BackupJob job = h.addJob("Docs", place);
        h.files.write("sources/Docs/big.bin", QByteArray(size, 'q'));
        int changes = 0;
        QObject::connect(&h.coordinator, &BackupCoordinator::runChanged, &h.coordinator,
            [&](const RunKey& changed) { changes += changed == Harness::key(job); });

        QElapsedTimer running;
        running.start();
        h.enqueue(job);
        MV_TRY_COMPARE(h.recorded, 1);
        const double seconds = double(running.elapsed()) / 1000.0;

        QCOMPARE(h.rows().front().result, RunResult::success);
        QVERIFY(h.rows().front().bytesTransferred >= size);
        // The run's own floor (its delays or its limit), so the rate below is measured over seconds.
        QVERIFY2(seconds >= 2.5, qPrintable(QString::number(seconds)));
        QVERIFY2(changes / seconds <= 12,
            qPrintable(QStringLiteral("%1 changes in %2 s").arg(changes).arg(seconds)));
    }

private:
    void control(const QByteArray& method, const QString& path) { m_server.control(method, path); }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveRuns)
#include "tst_GoogleDriveRuns.moc"
