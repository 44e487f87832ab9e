#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/ManualClock.h"
#include "support/RecordingSystemLog.h"
#include "support/TaskOutcome.h"
#include "support/TempDir.h"

#include "drive/BackupRun.h"
#include "drive/GoogleDriveRunController.h"
#include "drive/RemoteIndex.h"
#include "drive/RunPaths.h"
#include "drive/SourceScan.h"
#include "google/GoogleEndpoints.h"
#include "google/GoogleResumeStore.h"
#include "platform/Clock.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace mv;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;

namespace {

constexpr char uploadPath[] = "/upload/drive/v3/files";
constexpr qint64 bigSize = 2'621'440; // two whole 1 MiB chunks and a half one
const QString secondChunk = QStringLiteral("bytes 1048576-2097151/2621440");
const QString lastChunk = QStringLiteral("bytes 2097152-2621439/2621440");

QByteArray bigContent()
{
    QByteArray bytes(bigSize, Qt::Uninitialized);
    for (qint64 i = 0; i < bigSize; ++i)
        bytes[i] = char((i * 13 + i / 4093) & 0xff);
    return bytes;
}

QString md5Of(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

QString headerOf(const QJsonValue& entry, const QString& name)
{
    for (const QJsonValue& pair : entry.toObject().value("headers").toArray()) {
        if (pair.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            return pair.toArray().at(1).toString();
    }
    return {};
}

// What one run returned, reported and logged.
struct RunRecord {
    GoogleDrivePlan plan;
    GoogleDriveOutcome outcome;
    QList<GoogleProgressSnapshot> reports;
    QStringList log;

    QStringList logLines(const QString& tag) const
    {
        QStringList lines;
        for (const QString& line : log) {
            if (line.startsWith(tag + ' '))
                lines << line;
        }
        return lines;
    }
};

// A hand-moved clock that tells the test each time something starts a wait on it.
class WatchedClock final : public Clock {
public:
    QDateTime now() const override { return manual.now(); }
    std::shared_ptr<ClockAlarm> after(std::chrono::milliseconds delay, std::function<void()> fire) override
    {
        std::shared_ptr<ClockAlarm> alarm = manual.after(delay, std::move(fire));
        if (onWait)
            onWait(delay);
        return alarm;
    }

    test::ManualClock manual;
    std::function<void(std::chrono::milliseconds)> onWait;
};

} // namespace

// One Drive backup run against the fake server, with its resume records in a temporary folder.
class tst_DriveBackupRun : public FakeGoogleSuite {
    Q_OBJECT

    test::TempSupportDir m_support; // the run logs go here
    QNetworkAccessManager m_network;
    std::shared_ptr<QString> m_token;
    std::unique_ptr<test::TempDir> m_source;
    std::unique_ptr<test::TempDir> m_storeDir;
    std::unique_ptr<GoogleResumeStore> m_store;
    test::RecordingSystemLog m_systemLog;
    QString m_folder; // the destination folder in Drive
    Clock* m_runClock = &Clock::system();

    GoogleDriveConnection connection()
    {
        const GoogleEndpoints endpoints = GoogleEndpoints::at(m_server.baseUrl());
        return GoogleDriveConnection { &m_network, endpoints.driveApiBase,
            [](std::chrono::milliseconds) -> QCoro::Task<> { co_return; }, endpoints.uploadBase };
    }

    GoogleDriveClient::TokenProvider tokenProvider()
    {
        return [token = m_token]() -> QCoro::Task<QString> {
            const QString current = *token;
            co_return current;
        };
    }

    // The store as a new process would find it on disk.
    void reopenStore()
    {
        m_store.reset();
        m_store = std::make_unique<GoogleResumeStore>(
            m_storeDir->filePath("google-resume.json"), Clock::system(), m_systemLog);
    }

    void writeTree()
    {
        m_source->write("a.txt", "alpha\n");
        m_source->write("empty.txt", "");
        m_source->write("sub/big.bin", bigContent());
        m_source->write("sub/deep/c.txt", "charlie");
        m_source->mkdir("void");
    }

    GoogleDrivePlan plan(BackupMode mode = BackupMode::incremental)
    {
        GoogleDriveEngine::ScanResult scan
            = GoogleDriveEngine::scanSource(m_source->path(), TransferOptions {});
        GoogleDrivePlan plan;
        plan.mode = mode;
        plan.sourcePath = m_source->path();
        plan.folderID = m_folder;
        plan.files = std::move(scan.files);
        plan.directories = scan.directories;
        plan.totalBytes = scan.totalBytes;
        plan.warnings = scan.warnings;
        plan.unreadable = scan.unreadable;
        plan.tokenProvider = tokenProvider();
        return plan;
    }

    using ReportHook = std::function<void(const GoogleProgressSnapshot&, GoogleDriveRunController&)>;

    RunRecord runBackup(const GoogleDrivePlan& plan, bool allowDeletions = false, ReportHook hook = {},
        const std::function<void(GoogleDriveRunController&)>& beforeStart = {})
    {
        GoogleDriveRunController controller;
        if (beforeStart)
            beforeStart(controller);
        RunRecord record;
        record.plan = plan;
        auto running = GoogleDriveEngine::run(plan, allowDeletions,
            GoogleDriveEngine::RunServices { connection(), *m_store, *m_runClock }, controller,
            [&record, &controller, hook](const GoogleProgressSnapshot& report) {
                record.reports << report;
                if (hook)
                    hook(report, controller);
            });
        const test::TaskOutcome<GoogleDriveOutcome> ended = test::waitForOutcome(std::move(running));
        if (!ended.value)
            qFatal("the run threw");
        record.outcome = *ended.value;
        if (record.outcome.logPath) {
            QFile file(*record.outcome.logPath);
            if (file.open(QIODevice::ReadOnly))
                record.log = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        }
        return record;
    }

    GoogleDriveEngine::RemoteIndex driveIndex()
    {
        GoogleDriveClient client = connection().client(tokenProvider(), {});
        return *test::waitForOutcome(GoogleDriveEngine::buildRemoteIndex(client, m_folder, nullptr)).value;
    }

    QString seed(const QString& name, const QString& parent, const std::optional<QByteArray>& content)
    {
        QJsonObject item { { "name", name }, { "parents", QJsonArray { parent } } };
        if (content) {
            item["mimeType"] = "text/plain";
            item["size"] = QString::number(content->size());
            item["md5Checksum"] = md5Of(*content);
        } else {
            item["mimeType"] = QString::fromLatin1(GoogleDriveItem::folderMimeType);
        }
        return m_server.seedDriveItems({ item }).first().toObject()["id"].toString();
    }

    // Every source file is in Drive at its path with the source's size and MD5.
    void verifyDriveMatchesSource()
    {
        const GoogleDriveEngine::RemoteIndex index = driveIndex();
        for (const GoogleLocalFile& file : plan().files) {
            const QByteArray content = test::TempDir::read(QFile::decodeName(file.url));
            QVERIFY2(index.files.contains(file.relativePath), qPrintable(file.relativePath));
            const GoogleDriveItem item = index.files.value(file.relativePath);
            QCOMPARE(item.sizeBytes(), qint64(content.size()));
            QCOMPARE(item.md5Checksum.value_or(QString()), md5Of(content));
        }
    }

    int uploadRequests() { return int(m_server.requestsTo(uploadPath).size()); }

    QStringList chunkRanges()
    {
        QStringList ranges;
        for (const QJsonValue& entry : m_server.requestsTo(uploadPath)) {
            if (entry["method"].toString() == "PUT")
                ranges << headerOf(entry, "Content-Range");
        }
        return ranges;
    }

private Q_SLOTS:
    void init()
    {
        m_server.reset();
        m_token = std::make_shared<QString>(m_server.issueAccessToken());
        m_runClock = &Clock::system();
        m_source = std::make_unique<test::TempDir>();
        m_storeDir = std::make_unique<test::TempDir>();
        reopenStore();
        m_folder = seed("Backup", FakeGoogleServer::driveRootID, std::nullopt);
    }

    void firstRunUploadsTheTree()
    {
        writeTree();
        const GoogleDrivePlan planned = plan();
        const RunRecord run = runBackup(planned);

        const qint64 total = 6 + bigSize + 7;
        QCOMPARE(planned.totalBytes, total);
        GoogleDriveOutcome expected;
        expected.uploaded = 4;
        expected.bytes = total;
        expected.logPath = run.outcome.logPath;
        expected.duration = run.outcome.duration;
        QCOMPARE(run.outcome, expected);
        QVERIFY(run.outcome.duration > 0);

        QStringList folderLines;
        for (const QString& directory : planned.directories)
            folderLines << "FOLDER " + directory;
        QCOMPARE(run.logLines("FOLDER"), folderLines);
        QCOMPARE(run.logLines("UPLOAD"),
            QStringList({ "UPLOAD a.txt (6 bytes)", "UPLOAD empty.txt (Zero bytes)",
                "UPLOAD sub/big.bin (2.6 MB)", "UPLOAD sub/deep/c.txt (7 bytes)" }));
        QVERIFY(run.logLines("SKIP").isEmpty());
        QVERIFY(run.logLines("RESUME").isEmpty());

        // Each new folder went into the one created before it, and the empty one exists too.
        const GoogleDriveEngine::RemoteIndex index = driveIndex();
        QCOMPARE(index.folders.value("sub/deep").parents.value_or(QStringList()),
            QStringList { index.folders.value("sub").id });
        QVERIFY(index.folders.contains("void"));
        verifyDriveMatchesSource();

        const GoogleProgressSnapshot first = run.reports.first();
        QCOMPARE(first, (GoogleProgressSnapshot { 0.0, 0, 0, 0, 4, std::nullopt, std::nullopt }));
        for (qsizetype i = 1; i < run.reports.size(); ++i) {
            QVERIFY(run.reports[i].filesDone >= run.reports[i - 1].filesDone);
            QVERIFY2(run.reports[i].bytes >= run.reports[i - 1].bytes, qPrintable(QString::number(i)));
        }
        // While the big file goes out, it is the current file and not yet counted as done.
        const auto inFlight = std::count_if(run.reports.cbegin(), run.reports.cend(), [](const auto& report) {
            return report.currentFile == "sub/big.bin" && report.filesDone == 2 && report.bytes > 6
                && report.bytes < 6 + bigSize;
        });
        QVERIFY(inFlight > 0);
        const GoogleProgressSnapshot last = run.reports.last();
        QCOMPARE(last.fraction.value_or(-1), 1.0);
        QCOMPARE(last.bytes, total);
        QCOMPARE(last.filesDone, 4);
        QCOMPARE(last.filesTotal, 4);
        QVERIFY(!last.currentFile);
        QCOMPARE(last.etaSeconds.value_or(-1), 0.0);
        QVERIFY(last.bytesPerSecond > 0);
    }

    // A plan without files or folders still reads Drive and reports from 0 to 1.
    void emptyPlanCompletes()
    {
        GoogleDrivePlan planned = plan();
        planned.warnings = QStringList { "Skipped a link." };
        const RunRecord run = runBackup(planned, true);
        QCOMPARE(run.outcome.uploaded + run.outcome.skipped, 0);
        QCOMPARE(run.outcome.warnings, planned.warnings); // incremental: no removal sentence
        QCOMPARE(run.reports.size(), 2);
        QCOMPARE(run.reports.first().fraction.value_or(-1), 0.0);
        QCOMPARE(run.reports.last(), (GoogleProgressSnapshot { 1.0, 0, 0, 0, 0, std::nullopt, 0.0 }));
        QVERIFY(!run.logLines("INDEX").isEmpty());
    }

    // The records written at the end of a run let the next one, even in a new process, skip every file
    // without sending it again.
    void secondRunSkipsWhatTheFirstUploaded()
    {
        writeTree();
        QCOMPARE(runBackup(plan()).outcome.uploaded, 4);
        reopenStore();
        const int uploadsBefore = uploadRequests();

        const RunRecord run = runBackup(plan());
        QCOMPARE(run.outcome.uploaded, 0);
        QCOMPARE(run.outcome.skipped, 4);
        QCOMPARE(run.outcome.bytes, 0);
        QCOMPARE(uploadRequests(), uploadsBefore);
        QCOMPARE(run.logLines("SKIP"),
            QStringList({ "SKIP a.txt (uploaded earlier)", "SKIP empty.txt (uploaded earlier)",
                "SKIP sub/big.bin (uploaded earlier)", "SKIP sub/deep/c.txt (uploaded earlier)" }));
        QCOMPARE(
            run.logLines("RESUME"), QStringList { "RESUME skipped 4 file(s) already in Drive (2.6 MB)" });
        QVERIFY(run.logLines("FOLDER").isEmpty());
        QCOMPARE(run.reports.first().fraction.value_or(-1), 1.0);
        QCOMPARE(run.reports.first().filesDone, 4);
        QCOMPARE(run.reports.size(), 2); // resumed files get no report of their own
    }

    // Without a record the transfer pass compares with Drive: the same content is skipped and recorded, other
    // content is sent over the Drive file in place.
    void transferPassComparesWithDrive()
    {
        m_source->write("same.txt", "hello");
        m_source->write("changed.txt", "abcde");
        m_source->write("recorded.txt", "new content");
        m_source->write("new.txt", "fresh");
        seed("same.txt", m_folder, QByteArray("hello"));
        const QString changedID = seed("changed.txt", m_folder, QByteArray("vwxyz"));
        const QString recordedID = seed("recorded.txt", m_folder, QByteArray("old"));
        GoogleDrivePlan planned = plan();
        // A record that matches the file, while Drive's copy has another size: it leads nowhere.
        const GoogleLocalFile& recorded = *std::find_if(planned.files.cbegin(), planned.files.cend(),
            [](const GoogleLocalFile& file) { return file.relativePath == "recorded.txt"; });
        m_store->storeMD5(md5Of("new content"), GoogleDriveEngine::fileKey(m_folder, "recorded.txt"),
            recorded.size, recorded.modified);
        // An empty file is never opened: this one could not be, and Drive's empty copy is enough.
        seed("empty.txt", m_folder, QByteArray());
        planned.files.insert(planned.files.begin() + 1,
            GoogleLocalFile {
                "empty.txt", QFile::encodeName(m_source->filePath("never-made")), 0, std::nullopt });

        const RunRecord run = runBackup(planned);
        QVERIFY2(!run.outcome.errorMessage, qPrintable(run.outcome.errorMessage.value_or("")));
        QCOMPARE(run.outcome.uploaded, 3);
        QCOMPARE(run.outcome.skipped, 2);
        QCOMPARE(run.outcome.bytes, 5 + 11 + 5);
        QCOMPARE(run.logLines("SKIP"), QStringList({ "SKIP empty.txt", "SKIP same.txt" }));
        QVERIFY(run.logLines("RESUME").isEmpty());
        QCOMPARE(run.logLines("UPLOAD"),
            QStringList({ "UPLOAD changed.txt (5 bytes)", "UPLOAD new.txt (5 bytes)",
                "UPLOAD recorded.txt (11 bytes)" }));
        const GoogleDriveEngine::RemoteIndex index = driveIndex();
        QCOMPARE(index.files.size(), 5);
        QCOMPARE(index.files.value("changed.txt").id, changedID);
        QCOMPARE(index.files.value("recorded.txt").id, recordedID);
        verifyDriveMatchesSource();

        // The skipped file was recorded, so the next run resumes all four.
        reopenStore();
        const RunRecord again = runBackup(plan());
        QCOMPARE(again.outcome.skipped, 4);
        QCOMPARE(
            again.logLines("RESUME"), QStringList { "RESUME skipped 4 file(s) already in Drive (26 bytes)" });
    }

    void removal_data()
    {
        QTest::addColumn<BackupMode>("mode");
        QTest::addColumn<bool>("allowDeletions");
        QTest::addColumn<bool>("extras");
        QTest::addColumn<QStringList>("trashed");

        QTest::newRow("mirror with deletions")
            << BackupMode::mirror << true << true << QStringList { "gone.txt", "old/x.txt" };
        QTest::newRow("mirror with deletions, nothing extra")
            << BackupMode::mirror << true << false << QStringList {};
        QTest::newRow("mirror without deletions") << BackupMode::mirror << false << true << QStringList {};
        QTest::newRow("incremental with deletions")
            << BackupMode::incremental << true << true << QStringList {};
    }

    // Only Drive files the source lacks go to the trash: never folders, never what lies at or below a
    // source path that could not be read.
    void removal()
    {
        QFETCH(BackupMode, mode);
        QFETCH(bool, allowDeletions);
        QFETCH(bool, extras);
        QFETCH(QStringList, trashed);
        m_source->write("keep.txt", "keep");
        seed("keep.txt", m_folder, QByteArray("keep"));
        const QString locked = seed("locked", m_folder, std::nullopt);
        seed("secret.txt", locked, QByteArray("s"));
        seed("emptyDir", m_folder, std::nullopt);
        if (extras) {
            seed("gone.txt", m_folder, QByteArray("g"));
            seed("x.txt", seed("old", m_folder, std::nullopt), QByteArray("x"));
        }
        GoogleDrivePlan planned = plan(mode);
        planned.unreadable = QStringList { "locked" };
        planned.warnings = QStringList { "Could not read locked; it was not backed up and its Drive copy was "
                                         "left in place." };

        const RunRecord run = runBackup(planned, allowDeletions);
        QVERIFY(!run.outcome.errorMessage);
        QCOMPARE(run.outcome.deleted, trashed.size());
        QStringList trashLines = run.logLines("TRASH");
        trashLines.sort();
        QStringList expectedLines;
        for (const QString& path : trashed)
            expectedLines << "TRASH " + path;
        QCOMPARE(trashLines, expectedLines);
        QStringList warnings = planned.warnings;
        if (mode == BackupMode::mirror && allowDeletions)
            warnings.prepend(
                QString("Removed %1 Drive files not present in the source.").arg(trashed.size()));
        QCOMPARE(run.outcome.warnings, warnings);

        const GoogleDriveEngine::RemoteIndex index = driveIndex();
        QVERIFY(index.files.contains("keep.txt"));
        QVERIFY(index.files.contains("locked/secret.txt"));
        for (const QString& path : trashed)
            QVERIFY(!index.files.contains(path));
        QVERIFY(index.folders.contains("emptyDir"));
        QCOMPARE(index.folders.contains("old"), extras);
    }

    // A cancel stops the upload at once; what was finished stays counted and recorded, and the next run
    // finishes the file.
    void cancelDuringUpload()
    {
        writeTree();
        GoogleDrivePlan planned = plan();
        planned.warnings = QStringList { "Skipped a link." };
        bool asked = false;
        const RunRecord run
            = runBackup(planned, false, [&asked](const GoogleProgressSnapshot& report, auto& controller) {
                  if (report.currentFile == "sub/big.bin" && report.filesDone == 2 && !asked) {
                      asked = true;
                      // Not from inside the upload's own progress call.
                      QTimer::singleShot(0, &controller, [&controller] { controller.cancel(); });
                  }
              });
        QVERIFY(asked);
        QVERIFY(run.outcome.cancelled);
        QVERIFY(!run.outcome.errorMessage);
        QCOMPARE(run.outcome.uploaded, 2);
        QCOMPARE(run.outcome.bytes, 6);
        QCOMPARE(run.outcome.warnings, QStringList {});
        QVERIFY(run.logLines("ERROR").isEmpty());
        QVERIFY(!driveIndex().files.contains("sub/deep/c.txt"));
        QVERIFY(run.reports.last().currentFile); // no final report

        reopenStore();
        const RunRecord next = runBackup(plan());
        QVERIFY(!next.outcome.errorMessage);
        QCOMPARE(
            next.logLines("RESUME"), QStringList { "RESUME skipped 2 file(s) already in Drive (6 bytes)" });
        QCOMPARE(next.outcome.uploaded, 2);
        verifyDriveMatchesSource();
    }

    void faultsDuringTheRun_data()
    {
        QTest::addColumn<QJsonArray>("faults");
        QTest::addColumn<QString>("firstError"); // the start of the first run's error; empty: it completes
        QTest::addColumn<QStringList>("nextRanges"); // the Content-Range of each PUT of the next run
        QTest::addColumn<int>("nextSkipped");

        const QString smallFile = "bytes 0-6/7";
        const QJsonObject onSecondChunk { { "method", "PUT" }, { "path", uploadPath },
            { "header", QJsonObject { { "Content-Range", secondChunk } } }, { "times", 1 } };
        for (const int status : { 503, 429 }) {
            QJsonObject refused = onSecondChunk;
            refused["status"] = status;
            QTest::addRow("%d on a chunk", status)
                << QJsonArray { refused } << QString("Google Drive returned HTTP %1.").arg(status)
                << QStringList { "bytes */2621440", secondChunk, lastChunk, smallFile } << 2;
        }
        // Drive kept every byte and made the file; only its answer was lost. The next run finds the file
        // whole in Drive and sends nothing of it again.
        const QJsonObject cut { { "method", "PUT" }, { "path", uploadPath },
            { "header", QJsonObject { { "Content-Range", lastChunk } } }, { "cut", 5 }, { "reset", true },
            { "times", 1 } };
        QTest::newRow("final answer cut by RST")
            << QJsonArray { cut } << "*" << QStringList { smallFile } << 3;
        const QJsonObject listing { { "method", "GET" }, { "path", "/drive/v3/files" }, { "times", 1 } };
        QJsonObject unavailable = listing;
        unavailable["status"] = 503;
        QJsonObject tooMany = listing;
        tooMany["status"] = 429;
        QTest::newRow("503 and 429 while listing")
            << QJsonArray { unavailable, tooMany } << QString() << QStringList {} << 0;
    }

    // A file rewritten in place, at its size, while it goes out leaves Drive a copy that is half old, half
    // new. The run says so and records nothing, so the next run sends the file again instead of taking it
    // for uploaded earlier.
    void aFileChangedWhileSentIsSentAgain()
    {
        writeTree();
        // The second piece's answer is held while the file changes under the upload.
        m_server.addFaults({ QJsonObject { { "method", "PUT" }, { "path", uploadPath },
            { "header", QJsonObject { { "Content-Range", secondChunk } } }, { "delay", 0.2 },
            { "times", 1 } } });
        const QString path = m_source->filePath("sub/big.bin");
        QByteArray rewritten = bigContent();
        std::reverse(rewritten.begin(), rewritten.end());
        bool rewrote = false;
        const RunRecord run = runBackup(plan(), false, [&](const GoogleProgressSnapshot& report, auto&) {
            if (rewrote || report.currentFile != "sub/big.bin" || report.bytes <= 6 + 1048576)
                return;
            rewrote = true;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite)); // in place: no truncation, no new inode
            QCOMPARE(file.write(rewritten), bigSize);
        });
        QVERIFY(rewrote);
        QVERIFY2(!run.outcome.errorMessage, qPrintable(run.outcome.errorMessage.value_or("")));
        QCOMPARE(run.outcome.uploaded, 4);
        QCOMPARE(run.outcome.warnings,
            QStringList { "sub/big.bin changed while it was being backed up; it will be copied again next "
                          "time." });
        const QString mixed = driveIndex().files.value("sub/big.bin").md5Checksum.value_or(QString());
        QVERIFY(mixed != md5Of(bigContent()) && mixed != md5Of(rewritten));
        reopenStore();
        const QString key = GoogleDriveEngine::fileKey(m_folder, "sub/big.bin");
        for (const GoogleDrivePlan& planned : { run.plan, plan() }) {
            const auto file = std::find_if(planned.files.cbegin(), planned.files.cend(),
                [](const GoogleLocalFile& each) { return each.relativePath == "sub/big.bin"; });
            QCOMPARE(m_store->md5(key, file->size, file->modified), std::nullopt);
        }

        const RunRecord next = runBackup(plan());
        QVERIFY2(!next.outcome.errorMessage, qPrintable(next.outcome.errorMessage.value_or("")));
        QCOMPARE(next.outcome.warnings, QStringList {});
        QCOMPARE(next.logLines("UPLOAD"), QStringList { "UPLOAD sub/big.bin (2.6 MB)" });
        QCOMPARE(next.outcome.skipped, 3);
        verifyDriveMatchesSource();
    }

    // A file that shrinks while it goes out is a local failure: the run names the file and the cause.
    void aFileThatShrinksFailsTheRun()
    {
        writeTree();
        const QString path = m_source->filePath("sub/big.bin");
        const RunRecord run = runBackup(plan(), false, [&](const GoogleProgressSnapshot& report, auto&) {
            if (report.currentFile == "sub/big.bin" && report.bytes > 6 + 1048576)
                QFile::resize(path, 1000);
        });
        const QString message = "The file “" + path
            + "” could not be read while it was being uploaded: it became shorter than when its upload "
              "began.";
        QCOMPARE(run.outcome.errorMessage.value_or(QString()), message);
        QCOMPARE(run.logLines("ERROR"), QStringList { "ERROR " + message });
    }

    // A name cannot forge log lines: a line feed in it is written as rsync writes it.
    void controlCharactersInNamesAreEscaped()
    {
        m_source->write("new\nline.txt", "113");
        m_source->write("x\nERROR disk full", "x");
        const RunRecord run = runBackup(plan());
        QVERIFY(!run.outcome.errorMessage);
        QCOMPARE(run.outcome.uploaded, 2);
        QCOMPARE(run.logLines("UPLOAD"),
            QStringList({ "UPLOAD new\\#012line.txt (3 bytes)", "UPLOAD x\\#012ERROR disk full (1 byte)" }));
        QCOMPARE(run.logLines("ERROR"), QStringList {});
        QCOMPARE(run.logLines("line.txt"), QStringList {});
    }

    // A paused run waits before its next file, looking again every 150 ms, and goes on once resumed.
    void pauseHoldsTheNextFile()
    {
        writeTree();
        WatchedClock clock;
        m_runClock = &clock;
        GoogleDriveRunController* running = nullptr;
        QList<qint64> waits;
        QList<int> uploadsWhileWaiting;
        clock.onWait = [&](std::chrono::milliseconds delay) {
            waits << delay.count();
            // Looked at once the run is suspended in its wait, not from inside it.
            QTimer::singleShot(0, running, [&] {
                uploadsWhileWaiting << uploadRequests();
                if (uploadsWhileWaiting.size() < 2)
                    clock.manual.advance(std::chrono::milliseconds(150));
                else
                    running->resume();
            });
        };
        const RunRecord run = runBackup(plan(), false, {}, [&running](GoogleDriveRunController& controller) {
            running = &controller;
            controller.pause();
        });
        QCOMPARE(waits, (QList<qint64> { 150, 150 }));
        QCOMPARE(uploadsWhileWaiting, (QList<int> { 0, 0 }));
        QVERIFY(!run.outcome.errorMessage);
        QCOMPARE(run.outcome.uploaded, 4);
    }

    // The first error ends a run with an ERROR line; the next run picks the upload up where Drive stopped,
    // and in the end Drive holds every file with the source's MD5.
    void faultsDuringTheRun()
    {
        QFETCH(QJsonArray, faults);
        QFETCH(QString, firstError);
        QFETCH(QStringList, nextRanges);
        QFETCH(int, nextSkipped);
        writeTree();
        m_server.addFaults(faults);

        const RunRecord first = runBackup(plan());
        if (firstError.isEmpty()) {
            QVERIFY2(!first.outcome.errorMessage, qPrintable(first.outcome.errorMessage.value_or("")));
            QCOMPARE(first.outcome.uploaded, 4);
            verifyDriveMatchesSource();
            return;
        }
        QVERIFY(first.outcome.errorMessage);
        QVERIFY2(firstError == "*" || first.outcome.errorMessage->startsWith(firstError),
            qPrintable(*first.outcome.errorMessage));
        QCOMPARE(first.logLines("ERROR"), QStringList { "ERROR " + *first.outcome.errorMessage });
        QCOMPARE(first.outcome.uploaded, 2);
        QCOMPARE(first.outcome.bytes, 6);
        QVERIFY(!first.outcome.cancelled);
        QVERIFY(!first.log.join('\n').contains("upload_id=U")); // session URLs are never logged

        reopenStore();
        const qsizetype rangesBefore = chunkRanges().size();
        const RunRecord second = runBackup(plan());
        QVERIFY2(!second.outcome.errorMessage, qPrintable(second.outcome.errorMessage.value_or("")));
        QCOMPARE(second.outcome.skipped, nextSkipped);
        QCOMPARE(second.outcome.uploaded, 4 - nextSkipped);
        QCOMPARE(chunkRanges().mid(rangesBefore), nextRanges);
        verifyDriveMatchesSource();
        // No session is left over for a file Drive holds whole.
        for (const GoogleLocalFile& file : plan().files)
            QVERIFY(!m_store->sessionURL(
                GoogleDriveEngine::fileKey(m_folder, file.relativePath), file.size, file.modified));
    }

    void refusedBeforeAnyUpload_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<int>("nth"); // the first refused request
        QTest::addColumn<int>("foldersMade");

        QTest::newRow("listing") << "GET" << 1 << 0;
        QTest::newRow("second folder creation") << "POST" << 2 << 1;
    }

    // A refused listing or folder creation ends the run before any file goes out; folders made before stay.
    void refusedBeforeAnyUpload()
    {
        QFETCH(QString, method);
        QFETCH(int, nth);
        QFETCH(int, foldersMade);
        writeTree();
        m_server.addFaults(
            { QJsonObject { { "method", method }, { "path", "/drive/v3/files" }, { "nth", nth },
                { "status", 403 }, { "body", R"({"error":{"message":"Insufficient permissions"}})" } } });

        const GoogleDrivePlan planned = plan();
        const RunRecord run = runBackup(planned);
        const QString message = "Google Drive returned HTTP 403. Insufficient permissions";
        QCOMPARE(run.outcome.errorMessage.value_or(QString()), message);
        QCOMPARE(run.logLines("ERROR"), QStringList { "ERROR " + message });
        QStringList folderLines;
        for (const QString& directory : planned.directories.first(foldersMade))
            folderLines << "FOLDER " + directory;
        QCOMPARE(run.logLines("FOLDER"), folderLines);
        m_server.control("DELETE", "faults"); // the listing below must not be refused
        QCOMPARE(driveIndex().folders.keys(), planned.directories.first(foldersMade));
        QCOMPARE(run.reports.size(), 0);
        QCOMPARE(uploadRequests(), 0);
    }

    // A folder whose parent Drive lacks is passed over; the first file below it ends the run.
    void noDriveFolderForAParent()
    {
        m_source->write("x/y/f.txt", "f");
        GoogleDrivePlan planned = plan();
        planned.directories = QStringList { "x/y" };
        planned.warnings = QStringList { "Skipped a link." };

        const RunRecord run = runBackup(planned);
        const QString message = "No Drive folder for x/y.";
        QCOMPARE(run.outcome.errorMessage.value_or(QString()), message);
        QCOMPARE(run.logLines("ERROR"), QStringList { "ERROR " + message });
        QVERIFY(run.logLines("FOLDER").isEmpty());
        QCOMPARE(run.outcome.warnings, QStringList {});
        QVERIFY(driveIndex().folders.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_DriveBackupRun)
#include "tst_DriveBackupRun.moc"
