#include "DriveClientHarness.h"

#include "drive/GoogleDriveRunController.h"
#include "google/GoogleDriveUploader.h"
#include "google/GoogleResumeStore.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/RecordingSystemLog.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QFile>
#include <QtTest>

using namespace mv;
using namespace mv::test;

namespace {

constexpr char uploadPath[] = "/upload/drive/v3/files";
const QString key = QStringLiteral("folder\x1f") + QStringLiteral("big.bin");

QByteArray content(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

QString headerOf(const QJsonValue& entry, const QString& name)
{
    for (const QJsonValue& pair : entry.toObject().value("headers").toArray()) {
        if (pair.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            return pair.toArray().at(1).toString();
    }
    return {};
}

} // namespace

class tst_GoogleDriveUpload : public QObject {
    Q_OBJECT

    FakeGoogleServer server;
    std::unique_ptr<DriveClientHarness> harness;
    std::unique_ptr<TempDir> dir;
    std::unique_ptr<GoogleResumeStore> store;
    ManualClock storeClock;
    RecordingSystemLog log;
    QList<qint64> progress;
    // One for the test, as a run has one: it keeps its connections between uploads.
    std::unique_ptr<GoogleDriveUploader> runUploader;

    GoogleDriveUploader uploader()
    {
        auto token = harness->token;
        return GoogleDriveUploader(
            GoogleEndpoints::at(server.baseUrl()).uploadBase,
            [token]() -> QCoro::Task<QString> {
                const QString current = *token;
                co_return current;
            },
            [this]() -> QCoro::Task<> {
                *harness->token = server.issueAccessToken();
                co_return;
            },
            Clock::system());
    }

    GoogleUploadResume resume(std::optional<QString> sessionURL = std::nullopt)
    {
        return GoogleUploadResume { store.get(), key, 0, std::nullopt, sessionURL };
    }

    TaskOutcome<UploadedFile> run(const QString& path, std::optional<GoogleUploadResume> context,
        std::optional<QString> existingID = std::nullopt, UploadControl* controller = nullptr,
        std::function<void(qint64)> extra = {})
    {
        return waitForOutcome(runUploader->upload(path, QFileInfo(path).fileName(),
            FakeGoogleServer::driveRootID, existingID, context, controller, [this, extra](qint64 bytes) {
                progress << bytes;
                if (extra)
                    extra(bytes);
            }));
    }

    QJsonArray puts()
    {
        QJsonArray found;
        for (const QJsonValue& entry : server.requestsTo(uploadPath)) {
            if (entry.toObject().value("method").toString() == "PUT")
                found.append(entry);
        }
        return found;
    }
    QStringList contentRanges()
    {
        QStringList ranges;
        for (const QJsonValue& entry : puts())
            ranges << headerOf(entry, "Content-Range");
        return ranges;
    }
    int sessionStarts()
    {
        int count = 0;
        for (const QJsonValue& entry : server.journal()) {
            const QString method = entry.toObject().value("method").toString();
            if (entry.toObject().value("path").toString().startsWith(uploadPath) && method != "PUT")
                ++count;
        }
        return count;
    }
    // Looked up with the size it was stored with; a lookup with another size would forget it.
    QString storedSession(qint64 size)
    {
        return store->sessionURL(key, size, std::nullopt).value_or(QString());
    }
    // The URL of the one session the fake opened so far.
    QString lastSessionURL()
    {
        const QJsonObject sessions = server.state().value("upload").toObject().value("sessions").toObject();
        return server.baseUrl().toString()
            + "/upload/drive/v3/files?uploadType=resumable&upload_id=" + sessions.keys().last();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server.isRunning()); }
    void init()
    {
        server.reset();
        harness = std::make_unique<DriveClientHarness>(server);
        dir = std::make_unique<TempDir>();
        store = std::make_unique<GoogleResumeStore>(dir->filePath("google-resume.json"), storeClock, log);
        runUploader = std::make_unique<GoogleDriveUploader>(uploader());
        progress.clear();
    }
    void cleanup() { QCOMPARE(server.violations(), QStringList()); }

    void sendsTheFileInChunks_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("withResume");
        QTest::addColumn<QStringList>("ranges");
        QTest::addColumn<bool>("sessionKept"); // while it goes out: only an upload of several pieces keeps it
        QTest::newRow("empty file") << qint64(0) << true << QStringList { QString() } << false;
        QTest::newRow("one whole chunk")
            << qint64(1048576) << true << QStringList { "bytes 0-1048575/1048576" } << false;
        QTest::newRow("one byte over")
            << qint64(1048577) << true
            << QStringList { "bytes 0-1048575/1048577", "bytes 1048576-1048576/1048577" } << true;
        QTest::newRow("three chunks")
            << qint64(2500000) << true
            << QStringList { "bytes 0-1048575/2500000", "bytes 1048576-2097151/2500000",
                   "bytes 2097152-2499999/2500000" }
            << true;
        QTest::newRow("no resume context") << qint64(2500000) << false << QStringList { QString() } << false;
    }
    // Drive ends up with the same bytes, the chunks were hashed as they were read, and a finished session
    // leaves no record behind.
    void sendsTheFileInChunks()
    {
        QFETCH(qint64, size);
        QFETCH(bool, withResume);
        QFETCH(QStringList, ranges);
        QFETCH(bool, sessionKept);
        const QByteArray bytes = content(size);
        const QString path = dir->write("big.bin", bytes);
        bool sessionSeen = false;

        const auto outcome = run(path, withResume ? std::optional(resume()) : std::nullopt, std::nullopt,
            nullptr, [&](qint64) { sessionSeen = sessionSeen || !storedSession(size).isEmpty(); });

        QCOMPARE(failureOf(outcome), QString());
        const QString md5 = QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
        QCOMPARE(outcome.value->item.md5Checksum, std::optional<QString>(md5));
        QCOMPARE(outcome.value->readMD5, withResume && size > 0 ? std::optional(md5) : std::nullopt);
        QVERIFY(!outcome.value->changedWhileSending);
        QCOMPARE(sessionSeen, sessionKept);
        QCOMPARE(QFile::exists(store->sessionPath()), sessionKept);
        QCOMPARE(contentRanges(), ranges);
        const QJsonArray starts = server.requestsTo(uploadPath);
        QCOMPARE(headerOf(starts.at(0), "X-Upload-Content-Length"), QString::number(size));
        if (ranges.first().isEmpty())
            QCOMPARE(headerOf(puts().at(0), "Content-Length"), QString::number(size));
        QVERIFY(progress.isEmpty() || progress.last() <= size);
        if (withResume && size > 0)
            QCOMPARE(progress.last(), size);
        QCOMPARE(storedSession(size), QString());
        QCOMPARE(sessionStarts(), 1);
    }

    // A 308 answer is no redirect and no reason to close: the session start, every chunk and the next
    // file's upload all travel on the one keep-alive connection, as the journal's connection ids show.
    void oneConnectionCarriesSuccessiveUploads_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("withResume");
        QTest::newRow("three chunks") << qint64(2500000) << true;
        QTest::newRow("one chunk") << qint64(10000) << true;
        QTest::newRow("whole file") << qint64(2500000) << false;
    }
    void oneConnectionCarriesSuccessiveUploads()
    {
        QFETCH(qint64, size);
        QFETCH(bool, withResume);
        const QString path = dir->write("big.bin", content(size));

        for (int upload = 0; upload < 2; ++upload)
            QCOMPARE(failureOf(run(path, withResume ? std::optional(resume()) : std::nullopt)), QString());

        QSet<int> connections;
        for (const QJsonValue& entry : server.journal()) {
            if (entry.toObject().value("path").toString().startsWith(uploadPath))
                connections.insert(entry.toObject().value("connection").toInt());
        }
        QCOMPARE(sessionStarts(), 2);
        QCOMPARE(connections.size(), 1);
    }

    void mimeTypeFollowsTheLastExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::newRow("text") << "notes.txt"
                              << "text/plain";
        QTest::newRow("last suffix only") << "e.tar.gz"
                                          << "application/gzip";
        QTest::newRow("no extension") << "README"
                                      << "application/octet-stream";
        QTest::newRow("unknown extension") << "data.zzqx"
                                           << "application/octet-stream";
    }
    void mimeTypeFollowsTheLastExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        const QString path = dir->write(name, "hello");

        const auto outcome = run(path, resume());

        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(outcome.value->item.mimeType, type);
        QCOMPARE(headerOf(server.requestsTo(uploadPath).at(0), "X-Upload-Content-Type"), type);
        QCOMPARE(headerOf(puts().at(0), "Content-Type"), type);
    }

    // The fake refuses "parents" on a replace as a violation.
    void replacesAnExistingFileByPatch()
    {
        const QJsonArray seeded
            = server.seedDriveItems({ QJsonObject { { "name", "old.txt" }, { "mimeType", "text/plain" } } });
        const QString id = seeded.at(0).toObject().value("id").toString();
        const QString path = dir->write("new.txt", "new content");

        const auto outcome = run(path, resume(), id);

        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(outcome.value->item.id, id);
        QCOMPARE(outcome.value->item.name, QString("new.txt"));
        const QJsonObject start = server.requestsTo(QString(uploadPath) + "/" + id).at(0).toObject();
        QCOMPARE(start.value("method").toString(), QString("PATCH"));
    }

    // A stored session is asked where it stands before anything is sent.
    void continuesAStoredSession_data()
    {
        QTest::addColumn<QJsonArray>("statusFault");
        QTest::addColumn<int>("expiredStatus");
        QTest::addColumn<bool>("newSession");
        QTest::addColumn<QString>("firstRange");
        QTest::newRow("continues where Drive stopped")
            << QJsonArray() << 0 << false << "bytes 1048576-2097151/2500000";
        QTest::newRow("308 without Range restarts in the session") << QJsonArray { QJsonObject {
            { "method", "PUT" }, { "header", QJsonObject { { "Content-Range", "bytes */2500000" } } },
            { "status", 308 }, { "times", 1 } } } << 0 << false << "bytes 0-1048575/2500000";
        QTest::newRow("Range beyond the size") << QJsonArray { QJsonObject { { "method", "PUT" },
            { "header", QJsonObject { { "Content-Range", "bytes */2500000" } } }, { "status", 308 },
            { "headers", QJsonObject { { "Range", "bytes=0-99999999" } } }, { "times", 1 } } }
                                               << 0 << true << "bytes 0-1048575/2500000";
        QTest::newRow("session gone 404") << QJsonArray() << 404 << true << "bytes 0-1048575/2500000";
        QTest::newRow("session gone 410") << QJsonArray() << 410 << true << "bytes 0-1048575/2500000";
    }
    void continuesAStoredSession()
    {
        QFETCH(QJsonArray, statusFault);
        QFETCH(int, expiredStatus);
        QFETCH(bool, newSession);
        QFETCH(QString, firstRange);
        const QByteArray bytes = content(2500000);
        const QString path = dir->write("big.bin", bytes);
        // The first attempt stops after one chunk: its record stays for the next.
        server.addFaults(
            { QJsonObject { { "method", "PUT" }, { "nth", 2 }, { "times", 1 }, { "status", 503 } } });
        QCOMPARE(failureOf(run(path, resume())).isEmpty(), false);
        const QString saved = storedSession(2500000);
        QVERIFY(!saved.isEmpty());
        server.control("DELETE", "faults");
        server.addFaults(statusFault);
        if (expiredStatus)
            server.control("POST", "upload/expire", QJsonObject { { "status", expiredStatus } });
        const int before = puts().size();
        const int startsBefore = sessionStarts();

        const auto outcome = run(path, resume(saved));

        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(outcome.value->item.md5Checksum,
            std::optional<QString>(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
        // What Drive held already was read here too, so the digest covers the whole file.
        QCOMPARE(outcome.value->readMD5, outcome.value->item.md5Checksum);
        QCOMPARE(headerOf(puts().at(before), "Content-Range"), QString("bytes */2500000"));
        QCOMPARE(headerOf(puts().at(before + 1), "Content-Range"), firstRange);
        QCOMPARE(sessionStarts(), startsBefore + (newSession ? 1 : 0));
        QCOMPARE(storedSession(2500000), QString());
    }

    // A finished session answers its item: no byte is sent and the progress jumps to the size once.
    void finishedStoredSessionSendsNothing()
    {
        const QString path = dir->write("big.bin", content(1500000));
        QCOMPARE(failureOf(run(path, resume())), QString());
        const QString finished = lastSessionURL();
        store->storeSessionURL(finished, key, 1500000, std::nullopt);
        const int before = puts().size();
        progress.clear();

        const auto outcome = run(path, resume(finished));

        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(contentRanges().mid(before), QStringList { "bytes */1500000" });
        QCOMPARE(progress, QList<qint64> { 1500000 });
        QCOMPARE(storedSession(1500000), QString());
    }

    void invalidStoredURLStartsANewSession()
    {
        const QString path = dir->write("big.bin", content(10));
        const auto outcome = run(path, resume(QStringLiteral("::not a url")));
        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(contentRanges(), QStringList { "bytes 0-9/10" });
    }

    void chunkAnswers_data()
    {
        QTest::addColumn<QJsonArray>("faults");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<int>("starts");
        const auto stall = [](int times) {
            return QJsonObject { { "method", "PUT" }, { "nth", 2 }, { "times", times }, { "status", 308 },
                { "headers", QJsonObject { { "Range", "bytes=0-1048575" } } } };
        };
        QTest::newRow("three stalls tolerated") << QJsonArray { stall(3) } << QString() << 1;
        QTest::newRow("the fourth stall fails")
            << QJsonArray { stall(4) }
            << "Google Drive returned HTTP 308. Google Drive kept rejecting this upload position." << 1;
        QTest::newRow("confirmed less is sent again")
            << QJsonArray { QJsonObject { { "method", "PUT" }, { "nth", 2 }, { "times", 1 },
                   { "status", 308 }, { "headers", QJsonObject { { "Range", "bytes=0-1048575" } } } } }
            << QString() << 1;
        QTest::newRow("session gone once") << QJsonArray {
            QJsonObject { { "method", "PUT" }, { "nth", 2 }, { "times", 1 }, { "status", 404 } }
        } << QString() << 2;
        QTest::newRow("session gone twice")
            << QJsonArray { QJsonObject { { "method", "PUT" }, { "times", 2 }, { "status", 404 } } }
            << "sessionExpired" << 2;
    }
    void chunkAnswers()
    {
        QFETCH(QJsonArray, faults);
        QFETCH(QString, failure);
        QFETCH(int, starts);
        const QByteArray bytes = content(3000000);
        const QString path = dir->write("big.bin", bytes);
        server.addFaults(faults);

        const auto outcome = run(path, resume());

        if (failure == "sessionExpired") {
            QVERIFY(outcome.error);
            try {
                std::rethrow_exception(outcome.error);
            } catch (const GoogleDriveError& error) {
                QCOMPARE(error.kind(), GoogleDriveError::Kind::sessionExpired);
            }
        } else {
            QCOMPARE(failureOf(outcome), failure);
        }
        if (failure.isEmpty())
            QCOMPARE(outcome.value->item.md5Checksum,
                std::optional<QString>(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
        QCOMPARE(sessionStarts(), starts);
    }

    // Drive may keep less than it was sent (it rounds down to whole 256 KiB blocks): the rest goes again,
    // and the progress goes down with it.
    void bytesConfirmedBelowWhatWasSentAreSentAgain()
    {
        server.addFaults({ QJsonObject { { "method", "PUT" }, { "nth", 2 }, { "times", 1 }, { "status", 308 },
            { "headers", QJsonObject { { "Range", "bytes=0-786431" } } } } });
        const QByteArray bytes = content(2500000);
        const QString path = dir->write("big.bin", bytes);

        const auto outcome = run(path, resume());

        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(outcome.value->item.md5Checksum,
            std::optional<QString>(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
        QCOMPARE(outcome.value->readMD5, outcome.value->item.md5Checksum); // bytes sent twice count once
        QCOMPARE(contentRanges(),
            QStringList({ "bytes 0-1048575/2500000", "bytes 1048576-2097151/2500000",
                "bytes 786432-1835007/2500000", "bytes 1835008-2499999/2500000" }));
        QVERIFY(
            std::adjacent_find(progress.begin(), progress.end(), std::greater<qint64>()) != progress.end());
    }

    void aShrinkingFileFailsAndKeepsItsSession()
    {
        const QString path = dir->write("big.bin", content(2500000));
        const auto outcome = run(path, resume(), std::nullopt, nullptr, [path](qint64 bytes) {
            if (bytes >= 1048576)
                QFile::resize(path, 1000);
        });
        QCOMPARE(failureOf(outcome),
            "The file “" + path
                + "” could not be read while it was being uploaded: it became shorter than when its upload "
                  "began.");
        QVERIFY(!storedSession(2500000).isEmpty());
    }

    // A session start refused for its token asks for a new token once, then gives up.
    void sessionStartRenewsARefusedTokenOnce_data()
    {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<QString>("failure");
        QTest::newRow("renewed") << 1 << QString();
        QTest::newRow("refused again") << 2 << "Google Drive authorization failed. Invalid Credentials";
    }
    void sessionStartRenewsARefusedTokenOnce()
    {
        QFETCH(int, refusals);
        QFETCH(QString, failure);
        const QString path = dir->write("small.txt", "hello");
        server.addFaults({ QJsonObject { { "method", "POST" }, { "path", uploadPath }, { "times", refusals },
            { "status", 401 }, { "body", R"({"error":{"code":401,"message":"Invalid Credentials"}})" } } });

        const auto outcome = run(path, resume());

        QCOMPARE(failureOf(outcome), failure);
        QCOMPARE(sessionStarts(), 2);
        QCOMPARE(puts().size(), failure.isEmpty() ? 1 : 0);
    }

    // The whole-file path: a refusal carries the raw body, and a run cancelled already sends nothing.
    void wholeFileFailures()
    {
        const QString path = dir->write("small.txt", "hello");
        server.addFaults({ QJsonObject {
            { "method", "PUT" }, { "times", 1 }, { "status", 403 }, { "body", "quota exceeded" } } });
        QCOMPARE(
            failureOf(run(path, std::nullopt)), QString("Google Drive returned HTTP 403. quota exceeded"));

        GoogleDriveRunController cancelled;
        cancelled.cancel();
        const int before = puts().size();
        QCOMPARE(failureOf(run(path, std::nullopt, std::nullopt, &cancelled)),
            QString("The upload to Google Drive was stopped."));
        QCOMPARE(puts().size(), before);
    }

    // A stored session whose file went to the trash is no finished upload: the file is sent again.
    void aTrashedItemIsUploadedAgain()
    {
        const QByteArray bytes = content(20);
        const QString path = dir->write("big.bin", bytes);
        const auto first = run(path, resume());
        QCOMPARE(failureOf(first), QString());
        const QString finished = lastSessionURL();
        GoogleDriveClient client = harness->client();
        QCOMPARE(failureOf(waitForOutcome(client.trash(first.value->item.id))), QString());

        const auto outcome = run(path, resume(finished));

        QCOMPARE(failureOf(outcome), QString());
        QVERIFY(outcome.value->item.id != first.value->item.id);
        QCOMPARE(sessionStarts(), 2);
    }

    // A pause holds the upload between chunks; a cancel then ends it without sending another.
    void pauseHoldsAndCancelEnds()
    {
        const QString path = dir->write("big.bin", content(2500000));
        GoogleDriveRunController controller;
        GoogleDriveUploader client = uploader();
        bool pausedOnce = false;
        std::optional<TaskOutcome<UploadedFile>> outcome;
        auto task = [&]() -> QCoro::Task<> {
            auto capturing = detail::capture(client.upload(path, "big.bin", FakeGoogleServer::driveRootID,
                std::nullopt, resume(), &controller, [&](qint64 bytes) {
                    if (bytes >= 1048576 && !pausedOnce) {
                        pausedOnce = true;
                        controller.pause();
                    }
                }));
            outcome = co_await capturing;
        }();
        MV_TRY_VERIFY(pausedOnce);
        MV_TRY_COMPARE(puts().size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(outcome.has_value(), false);
        controller.cancel();
        MV_TRY_VERIFY(outcome.has_value());
        QCOMPARE(puts().size(), 1);
        QVERIFY(outcome->error);
        try {
            std::rethrow_exception(outcome->error);
        } catch (const GoogleDriveError& error) {
            QCOMPARE(error.kind(), GoogleDriveError::Kind::cancelled);
        }
        QVERIFY(!storedSession(2500000).isEmpty());
    }

    // A cut chunk leaves the session for a later process, which goes on from what Drive confirmed.
    void aCutChunkIsResumedByALaterUploader()
    {
        const QByteArray bytes = content(2500000);
        const QString path = dir->write("big.bin", bytes);
        server.addFaults(
            { QJsonObject { { "method", "PUT" }, { "nth", 2 }, { "times", 2 }, { "close", true } } });
        QVERIFY(!failureOf(run(path, resume())).isEmpty());
        const QString saved = storedSession(2500000);
        QVERIFY(!saved.isEmpty());

        store = std::make_unique<GoogleResumeStore>(dir->filePath("google-resume.json"), storeClock, log);
        runUploader = std::make_unique<GoogleDriveUploader>(uploader());
        const auto outcome = run(path, resume(store->sessionURL(key, 2500000, std::nullopt)));

        QCOMPARE(failureOf(outcome), QString());
        QCOMPARE(outcome.value->item.md5Checksum,
            std::optional<QString>(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()));
        QCOMPARE(sessionStarts(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleDriveUpload)
#include "tst_GoogleDriveUpload.moc"
