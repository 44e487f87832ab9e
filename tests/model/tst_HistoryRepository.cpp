#include "model/HistoryRepository.h"
#include "model/SqlStatement.h"

#include "support/FileMode.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

const QDateTime now(QDate(2026, 12, 9), QTime(8, 21), Qt::UTC);

QUuid uuid(int n)
{
    return QUuid(QStringLiteral("%1-0000-4000-8000-000000000000").arg(n, 8, 16, QLatin1Char('0')));
}

BackupRunRecord run(
    int n, const QString& jobName, const QDateTime& startedAt, RunResult result = RunResult::success)
{
    BackupRunRecord r;
    r.id = uuid(n);
    r.jobID = uuid(1000);
    r.jobName = jobName;
    r.sourcePath = QStringLiteral("/home/ana/") + jobName;
    r.destinationID = uuid(2000);
    r.destinationName = QStringLiteral("Disk");
    r.destinationPath = QStringLiteral("/media/disk/") + jobName;
    r.startedAt = startedAt;
    r.result = result;
    if (result != RunResult::running)
        r.endedAt = startedAt.addSecs(60);
    return r;
}

QStringList jobNames(const std::vector<BackupRunRecord>& records)
{
    QStringList names;
    for (const auto& r : records)
        names << r.jobName;
    return names;
}

// Runs SQL through the sqlite3 shell, the way a person inspecting the file would.
QString sqliteShell(const QString& path, const QString& sql)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), { path, sql });
    if (!shell.waitForFinished(30'000) || shell.exitCode() != 0)
        qFatal("sqlite3 failed: %s", shell.readAllStandardError().constData());
    return QString::fromUtf8(shell.readAllStandardOutput());
}

// Holds the next statement that a connection which only reads runs in this process, until released: a
// long read of a view, made as long as the test needs.
struct ReadHold {
    std::atomic<bool> armed = false;
    QSemaphore holding;
    QSemaphore released;
};
ReadHold readHold;

int holdReading(void* database)
{
    if (sqlite3_db_readonly(static_cast<sqlite3*>(database), "main") == 1 && readHold.armed.exchange(false)) {
        readHold.holding.release();
        readHold.released.acquire();
    }
    return 0;
}

int installReadHold(sqlite3* database, const char**, const sqlite3_api_routines*)
{
    sqlite3_progress_handler(database, 1, holdReading, database);
    return SQLITE_OK;
}

} // namespace

// Readable failure messages. They are plain functions in mv so that QCOMPARE prefers them over the
// enumerations' generic toString, which argument lookup would otherwise also find.
namespace mv {

QString describe(const BackupRunRecord& r)
{
    const auto date = [](const std::optional<QDateTime>& d) {
        return d ? d->toString(Qt::ISODateWithMs) : QStringLiteral("none");
    };
    return QStringList { r.id.toString(QUuid::WithoutBraces), r.jobID.toString(QUuid::WithoutBraces),
        r.jobName, r.sourcePath, r.destinationID.toString(QUuid::WithoutBraces), r.destinationName,
        r.destinationPath, toString(r.mode), toString(r.trigger), date(r.startedAt), date(r.endedAt),
        toString(r.result), QString::number(r.bytesTransferred), QString::number(r.filesCopied),
        QString::number(r.filesUpdated), QString::number(r.filesDeleted), r.errorSummary.value_or("none"),
        r.logPath.value_or("none"), r.logTruncated ? "truncated" : "whole" }
        .join(u'|');
}

char* toString(const std::vector<BackupRunRecord>& records)
{
    QStringList lines;
    for (const auto& r : records)
        lines << describe(r);
    return qstrdup(('\n' + lines.join(u'\n')).toUtf8().constData());
}

char* toString(const HistoryStats& s)
{
    return qstrdup(QStringLiteral("%1 runs, %2 success, %3 failed, %4 bytes, last success %5")
                       .arg(s.totalRuns)
                       .arg(s.successRuns)
                       .arg(s.failedRuns)
                       .arg(s.totalBytes)
                       .arg(s.lastSuccess ? s.lastSuccess->toString(Qt::ISODate) : "none")
                       .toUtf8()
                       .constData());
}

} // namespace mv

class tst_HistoryRepository : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void newFileHasTheSchemaInWalMode();
    void beginReplacesAndFinishCompletesOnlyTheEnd();
    void fetchFilters_data();
    void fetchFilters();
    void fetchPagesNewestFirst();
    void storedValuesReadTolerantly();
    void statsCountOnlyTheirResults();
    void deleteAndClear();
    void deleteOlderThan_data();
    void deleteOlderThan();
    void openingRepairsRunsLeftRunning();
    void csvMatchesGoldenFile();
    void csvHoldsTheNewest10000Rows();
    void unusablePathFallsBackToMemory_data();
    void unusablePathFallsBackToMemory();
    void damagedFileIsLeftAsItIs_data();
    void damagedFileIsLeftAsItIs();
    void callsFromManyThreads();
    void writesGoOnWhileAReadIsHeld();
    void longDeletionsLetRunsIn_data();
    void longDeletionsLetRunsIn();
    void drainFinishesWhatWasAskedWithoutWaiting();
    void drainStopsADeletionByAge();

private:
    test::TempSupportDir m_support;
    test::ManualClock m_clock { now };
};

void tst_HistoryRepository::initTestCase()
{
    QCOMPARE(sqlite3_auto_extension(reinterpret_cast<void (*)()>(installReadHold)), SQLITE_OK);
}

void tst_HistoryRepository::newFileHasTheSchemaInWalMode()
{
    const QString path = m_support.filePath(QStringLiteral("schema.sqlite"));
    HistoryRepository history(path, m_clock);
    // Any answer comes after the file was opened.
    QCOMPARE(history.stats(), HistoryStats {});
    QVERIFY(history.storageWarning().isEmpty());

    QCOMPARE(sqliteShell(path, QStringLiteral(".schema")),
        QStringLiteral("CREATE TABLE runs (\n"
                       "    id TEXT PRIMARY KEY,\n"
                       "    job_id TEXT NOT NULL,\n"
                       "    job_name TEXT NOT NULL,\n"
                       "    source_path TEXT NOT NULL,\n"
                       "    destination_id TEXT NOT NULL,\n"
                       "    destination_name TEXT NOT NULL,\n"
                       "    destination_path TEXT NOT NULL,\n"
                       "    mode TEXT NOT NULL,\n"
                       "    trigger TEXT NOT NULL,\n"
                       "    started_at REAL NOT NULL,\n"
                       "    ended_at REAL,\n"
                       "    result TEXT NOT NULL,\n"
                       "    bytes_transferred INTEGER NOT NULL DEFAULT 0,\n"
                       "    files_copied INTEGER NOT NULL DEFAULT 0,\n"
                       "    files_updated INTEGER NOT NULL DEFAULT 0,\n"
                       "    files_deleted INTEGER NOT NULL DEFAULT 0,\n"
                       "    error_summary TEXT,\n"
                       "    log_path TEXT,\n"
                       "    log_truncated INTEGER NOT NULL DEFAULT 0\n"
                       ");\n"
                       "CREATE INDEX idx_runs_started ON runs(started_at DESC);\n"
                       "CREATE INDEX idx_runs_job ON runs(job_id, started_at DESC);\n"
                       "CREATE INDEX idx_runs_result ON runs(result);\n"));
    QCOMPARE(sqliteShell(path, QStringLiteral("PRAGMA journal_mode;")), QStringLiteral("wal\n"));
    // The file holds the user's paths.
    QCOMPARE(test::permissionBits(path), 0600);
}

void tst_HistoryRepository::beginReplacesAndFinishCompletesOnlyTheEnd()
{
    HistoryRepository history(m_support.filePath(QStringLiteral("begin.sqlite")), m_clock);
    BackupRunRecord started = run(1, QStringLiteral("Photos"), now.addMSecs(-1500), RunResult::running);
    started.mode = BackupMode::versioned;
    started.trigger = RunTrigger::schedule;
    started.errorSummary = QString(""); // empty, which is not the same as none
    history.begin(started);
    QCOMPARE(history.fetch(10, 0), std::vector { started });

    started.jobName = QStringLiteral("Photos again");
    history.begin(started);
    QCOMPARE(history.fetch(10, 0), std::vector { started });

    BackupRunRecord ended = started;
    ended.jobName = QStringLiteral("renamed later");
    ended.destinationPath = QStringLiteral("/elsewhere");
    ended.endedAt = now.addMSecs(250);
    ended.result = RunResult::failed;
    ended.bytesTransferred = 5'000'000'000;
    ended.filesCopied = 3;
    ended.filesUpdated = 2;
    ended.filesDeleted = 1;
    ended.errorSummary = QStringLiteral("Disk full");
    ended.logPath = QStringLiteral("/logs/run.log");
    ended.logTruncated = true;
    history.finish(ended);
    BackupRunRecord expected = ended;
    expected.jobName = started.jobName;
    expected.destinationPath = started.destinationPath;
    QCOMPARE(history.fetch(10, 0), std::vector { expected });

    history.finish(run(99, QStringLiteral("unknown"), now));
    QCOMPARE(history.fetch(10, 0), std::vector { expected });
}

void tst_HistoryRepository::fetchFilters_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<std::optional<RunResult>>("result");
    QTest::addColumn<std::optional<QUuid>>("jobID");
    QTest::addColumn<QStringList>("expected");

    const std::optional<RunResult> any;
    const std::optional<QUuid> allJobs;
    const QStringList everything { "A", "B", "C", "D", "E" };
    QTest::newRow("no filters") << "" << any << allJobs << everything;
    QTest::newRow("blank query") << " \n\t " << any << allJobs << everything;
    QTest::newRow("job name, other case") << "PHOTOS" << any << allJobs << QStringList { "A", "C", "E" };
    QTest::newRow("source path") << "/srv" << any << allJobs << QStringList { "D" };
    QTest::newRow("destination name") << "nas" << any << allJobs << QStringList { "B", "C" };
    QTest::newRow("destination path") << "/remote" << any << allJobs << QStringList { "D" };
    QTest::newRow("error summary, other case") << "denied" << any << allJobs << QStringList { "B" };
    QTest::newRow("query trimmed") << "  full\n" << any << allJobs << QStringList { "C" };
    QTest::newRow("percent is a wildcard") << "100%file" << any << allJobs << QStringList { "B" };
    QTest::newRow("underscore is a wildcard") << "d_sk" << any << allJobs << QStringList { "A", "C", "E" };
    QTest::newRow("no match") << "zzz" << any << allJobs << QStringList {};
    QTest::newRow("result") << "" << std::optional(RunResult::failed) << allJobs << QStringList { "B", "C" };
    QTest::newRow("job") << "" << any << std::optional(uuid(1)) << QStringList { "A", "C", "E" };
    QTest::newRow("result and job") << "" << std::optional(RunResult::failed) << std::optional(uuid(1))
                                    << QStringList { "C" };
    QTest::newRow("query, result and job") << "photos" << std::optional(RunResult::success)
                                           << std::optional(uuid(1)) << QStringList { "A", "E" };
}

void tst_HistoryRepository::fetchFilters()
{
    QFETCH(QString, query);
    QFETCH(std::optional<RunResult>, result);
    QFETCH(std::optional<QUuid>, jobID);
    QFETCH(QStringList, expected);

    struct Row {
        const char* name;
        const char* job;
        int jobNumber;
        const char* source;
        const char* destinationName;
        const char* destinationPath;
        RunResult result;
        const char* error;
    };
    const Row rows[] = {
        { "A", "Photos", 1, "/home/ana/Pictures", "Backup Disk", "/media/disk", RunResult::success, nullptr },
        { "B", "Documents", 2, "/home/ana/Docs", "NAS", "/mnt/nas/docs", RunResult::failed,
            "Permission DENIED on 100%_file" },
        { "C", "Photos", 1, "/home/ana/Pictures", "NAS", "/mnt/nas/pics", RunResult::failed, "Disk full" },
        { "D", "Music", 3, "/srv/music", "Cloud", "/remote/music", RunResult::cancelled, nullptr },
        { "E", "Photos restore", 1, "/home/ana/Pictures", "Backup Disk", "/media/disk", RunResult::success,
            nullptr },
    };
    HistoryRepository history(m_support.filePath(QStringLiteral("filters.sqlite")), m_clock);
    history.clear();
    int age = 0;
    for (const Row& row : rows) {
        ++age;
        BackupRunRecord r = run(age, QString::fromUtf8(row.job), now.addSecs(-60 * age), row.result);
        r.jobID = uuid(row.jobNumber);
        r.sourcePath = QString::fromUtf8(row.source);
        r.destinationName = QString::fromUtf8(row.destinationName);
        r.destinationPath = QString::fromUtf8(row.destinationPath);
        if (row.error)
            r.errorSummary = QString::fromUtf8(row.error);
        r.logPath = QString::fromUtf8(row.name); // names the row for the comparison below
        history.begin(r);
    }

    QStringList found;
    for (const auto& r : history.fetch(500, 0, query, result, jobID))
        found << r.logPath.value_or(QString());
    QCOMPARE(found, expected);
}

void tst_HistoryRepository::fetchPagesNewestFirst()
{
    HistoryRepository history(m_support.filePath(QStringLiteral("pages.sqlite")), m_clock);
    for (int i = 0; i < 250; ++i)
        history.begin(run(i, QString::number(i), now.addSecs(i)));

    QStringList expected;
    for (int i = 249; i >= 0; --i)
        expected << QString::number(i);
    QCOMPARE(jobNames(history.fetch(120, 0)), expected.mid(0, 120));
    QCOMPARE(jobNames(history.fetch(120, 120)), expected.mid(120, 120));
    QCOMPARE(jobNames(history.fetch(120, 240)), expected.mid(240));
}

void tst_HistoryRepository::storedValuesReadTolerantly()
{
    const QString path = m_support.filePath(QStringLiteral("tolerant.sqlite"));
    {
        HistoryRepository created(path, m_clock);
    }
    const QString good = uuid(1).toString(QUuid::WithoutBraces).toUpper();
    sqliteShell(path,
        QStringLiteral("INSERT INTO runs (id, job_id, job_name, source_path, destination_id, "
                       "destination_name, destination_path, mode, trigger, started_at, result, "
                       "log_truncated) VALUES "
                       "('not-a-uuid', '%1', 'bad id', '', '%1', '', '', 'mirror', 'manual', 3, "
                       "'success', 0), "
                       "('%1 ', '%1', 'id with more after it', '', '%1', '', '', 'mirror', 'manual', 4, "
                       "'success', 0), "
                       "('%1', '{%1}', 'job id in braces', '', '%1', '', '', 'mirror', 'manual', 5, "
                       "'success', 0), "
                       "('%2', '%1', 'odd values', '', '%1', '', '', 'turbo', 'cron', 2.25, "
                       "'exploded', 2), "
                       "('%3', '%1', 'lower-case ids', '', '%1', '', '', 'mirror', 'retry', 1, "
                       "'success', 1)")
            .arg(good, uuid(2).toString(QUuid::WithoutBraces).toUpper(),
                uuid(0xABCDEF).toString(QUuid::WithoutBraces).toLower()));

    HistoryRepository history(path, m_clock);
    BackupRunRecord odd;
    odd.id = uuid(2);
    odd.jobID = odd.destinationID = uuid(1);
    odd.jobName = QStringLiteral("odd values");
    odd.startedAt = QDateTime::fromMSecsSinceEpoch(2250, Qt::UTC);
    odd.result = RunResult::failed;
    BackupRunRecord lowerCase = odd;
    lowerCase.id = uuid(0xABCDEF);
    lowerCase.jobName = QStringLiteral("lower-case ids");
    lowerCase.mode = BackupMode::mirror;
    lowerCase.trigger = RunTrigger::retry;
    lowerCase.startedAt = QDateTime::fromMSecsSinceEpoch(1000, Qt::UTC);
    lowerCase.result = RunResult::success;
    lowerCase.logTruncated = true;
    QCOMPARE(history.fetch(10, 0), (std::vector { odd, lowerCase }));
}

void tst_HistoryRepository::statsCountOnlyTheirResults()
{
    HistoryRepository history(m_support.filePath(QStringLiteral("stats.sqlite")), m_clock);
    QCOMPARE(history.stats(), HistoryStats {});

    int n = 0;
    for (const RunResult result : allCases<RunResult>()) {
        BackupRunRecord r = run(n, toString(result), now.addSecs(-3600 + 60 * n), result);
        r.bytesTransferred = 1000 * ++n;
        history.begin(r);
    }
    BackupRunRecord earlierSuccess = run(100, QStringLiteral("earlier"), now.addDays(-1));
    earlierSuccess.bytesTransferred = 5'000'000'000;
    history.begin(earlierSuccess);

    const qint64 bytes = 1000 * (1 + 2 + 3 + 4 + 5 + 6 + 7) + 5'000'000'000;
    const HistoryStats expected { 8, 2, 1, bytes, now.addSecs(-3600 + 60 + 60) };
    QCOMPARE(history.stats(), expected);
}

// Every change is announced, so a view can follow the history without reading it again on a timer.
void tst_HistoryRepository::deleteAndClear()
{
    HistoryRepository history(m_support.filePath(QStringLiteral("delete.sqlite")), m_clock);
    QSignalSpy added(&history, &HistoryRepository::rowAdded);
    QSignalSpy changed(&history, &HistoryRepository::rowChanged);
    QSignalSpy removed(&history, &HistoryRepository::rowRemoved);
    QSignalSpy cleared(&history, &HistoryRepository::rowsRemoved);
    for (int i = 0; i < 3; ++i)
        history.begin(run(i, QString::number(i), now.addSecs(i)));
    history.finish(run(2, "2", now.addSecs(2)));
    MV_TRY_COMPARE(added.size(), 3);
    QCOMPARE(added.at(1).at(0).toUuid(), uuid(1));
    MV_TRY_COMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toUuid(), uuid(2));

    history.deleteRun(uuid(1));
    history.deleteRun(uuid(42));
    QCOMPARE(jobNames(history.fetch(10, 0)), (QStringList { "2", "0" }));
    MV_TRY_COMPARE(removed.size(), 2);
    QCOMPARE(removed.at(0).at(0).toUuid(), uuid(1));
    history.clear();
    QCOMPARE(history.fetch(10, 0).size(), 0u);
    MV_TRY_COMPARE(cleared.size(), 1);
}

void tst_HistoryRepository::deleteOlderThan_data()
{
    QTest::addColumn<int>("days");
    QTest::addColumn<QStringList>("kept");
    const QStringList all { "recent", "at cutoff", "older" };
    QTest::newRow("0 keeps everything") << 0 << all;
    QTest::newRow("negative keeps everything") << -5 << all;
    QTest::newRow("90") << 90 << QStringList { "recent", "at cutoff" };
    QTest::newRow("1") << 1 << QStringList { "recent" };
}

void tst_HistoryRepository::deleteOlderThan()
{
    QFETCH(int, days);
    QFETCH(QStringList, kept);
    HistoryRepository history(m_support.filePath(QStringLiteral("age.sqlite")), m_clock);
    history.clear();
    history.begin(run(1, QStringLiteral("recent"), now.addSecs(-3600)));
    history.begin(run(2, QStringLiteral("at cutoff"), now.addDays(-90)));
    history.begin(run(3, QStringLiteral("older"), now.addDays(-90).addSecs(-1)));

    history.deleteOlderThan(days);
    QCOMPARE(jobNames(history.fetch(10, 0)), kept);
}

void tst_HistoryRepository::openingRepairsRunsLeftRunning()
{
    const QString path = m_support.filePath(QStringLiteral("orphans.sqlite"));
    const BackupRunRecord finished = run(1, QStringLiteral("finished"), now.addSecs(-600));
    {
        HistoryRepository crashed(path, m_clock);
        crashed.begin(finished);
        crashed.begin(run(2, QStringLiteral("left running"), now.addSecs(-300), RunResult::running));
    }
    test::ManualClock nextStart(now.addSecs(3600));
    HistoryRepository history(path, nextStart);

    BackupRunRecord repaired = run(2, QStringLiteral("left running"), now.addSecs(-300), RunResult::running);
    repaired.result = RunResult::interrupted;
    repaired.endedAt = nextStart.now();
    QCOMPARE(history.fetch(10, 0), (std::vector { repaired, finished }));
}

void tst_HistoryRepository::csvMatchesGoldenFile()
{
    HistoryRepository history(m_support.filePath(QStringLiteral("csv.sqlite")), m_clock);
    BackupRunRecord photos = run(1, QStringLiteral("Photos, 2026"), now.addSecs(-3600));
    photos.destinationName = QStringLiteral("not the path");
    photos.endedAt = photos.startedAt.addMSecs(330'500);
    photos.bytesTransferred = 1'234'567;
    photos.filesCopied = 10;
    photos.filesUpdated = 2;
    photos.filesDeleted = 1;
    BackupRunRecord docs = run(2, QStringLiteral("Docs"), now.addSecs(-7200), RunResult::failed);
    docs.errorSummary = QStringLiteral("rsync said \"no space\", stopped");
    BackupRunRecord notes = run(3, QStringLiteral("Notes"), now.addSecs(-10800), RunResult::failed);
    notes.errorSummary = QStringLiteral("line one\nline two");
    BackupRunRecord mail = run(4, QStringLiteral("Mail"), now.addSecs(-14400), RunResult::cancelled);
    mail.errorSummary = QStringLiteral("first\rsecond");
    for (const auto& r :
        { photos, docs, notes, mail, run(5, "Music", now.addSecs(-18000), RunResult::running) })
        history.begin(r);

    const QByteArray golden = test::TempDir::read(
        qEnvironmentVariable("MV_SOURCE_DIR") + QStringLiteral("/tests/model/fixtures/history.csv"));
    QVERIFY(!golden.isEmpty());
    QCOMPARE(history.exportCSV().toUtf8(), golden);

    const QString file = history.exportCSVFile();
    QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(m_support.path()).absoluteFilePath());
    QCOMPARE(QFileInfo(file).fileName(),
        QStringLiteral("Marrowvale-history-%1.csv").arg(now.toLocalTime().toString("yyyy-MM-dd-HHmm")));
    QCOMPARE(test::TempDir::read(file), golden);
    QCOMPARE(test::permissionBits(file), 0600);
}

void tst_HistoryRepository::csvHoldsTheNewest10000Rows()
{
    const QString path = m_support.filePath(QStringLiteral("csv-many.sqlite"));
    {
        HistoryRepository created(path, m_clock);
    }
    // Rows named 0 to 10002, each started one second after the one before.
    sqliteShell(path,
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 10002) "
                       "INSERT INTO runs (id, job_id, job_name, source_path, destination_id, "
                       "destination_name, destination_path, mode, trigger, started_at, ended_at, "
                       "result) SELECT printf('%08X-0000-4000-8000-000000000000', i), '%1', i, "
                       "'', '%1', '', '', 'incremental', 'manual', i, i, 'success' FROM n")
            .arg(uuid(1).toString(QUuid::WithoutBraces).toUpper()));

    HistoryRepository history(path, m_clock);
    const QStringList lines = history.exportCSV().split(u'\n');
    QCOMPARE(lines.size(), 10'001);
    QVERIFY(lines[1].startsWith(QStringLiteral("10002,")));
    QVERIFY(lines.last().startsWith(QStringLiteral("3,")));
}

void tst_HistoryRepository::unusablePathFallsBackToMemory_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("not a database") << "text";
    QTest::newRow("damaged database") << "damaged";
    QTest::newRow("read-only file") << "read-only";
    // SQLite would take these for a new database and write over them.
    QTest::newRow("one byte") << "one byte";
    QTest::newRow("511 bytes with the header") << "511 bytes";
}

void tst_HistoryRepository::unusablePathFallsBackToMemory()
{
    QFETCH(QString, kind);
    const test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    if (kind == "folder") {
        dir.mkdir(QStringLiteral("history.sqlite"));
    } else if (kind == "text") {
        dir.write(QStringLiteral("history.sqlite"), "job,source\nPhotos,/home/ana\n");
    } else if (kind == "damaged") {
        sqliteShell(path, QStringLiteral("CREATE TABLE t(a); INSERT INTO t VALUES (1);"));
        QByteArray bytes = test::TempDir::read(path);
        bytes.replace(100, 100, QByteArray(100, '\xff'));
        dir.write(QStringLiteral("history.sqlite"), bytes);
    } else if (kind == "one byte") {
        dir.write(QStringLiteral("history.sqlite"), "x");
    } else if (kind == "511 bytes") {
        dir.write(
            QStringLiteral("history.sqlite"), QByteArray("SQLite format 3\0", 16) + QByteArray(495, '\0'));
    } else {
        // SQLite opens a file it may not write read-only without a word: every run would then go unrecorded.
        if (::geteuid() != 0)
            QSKIP("opening the file as another user needs root");
        {
            HistoryRepository earlier(path, m_clock);
        }
        QCOMPARE(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther));
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    }
    const QByteArray before = QFileInfo(path).isFile() ? test::TempDir::read(path) : QByteArray();

    {
        if (kind == "read-only" && ::setresuid(65534, 65534, 0) != 0)
            QFAIL("cannot become an ordinary user");
        HistoryRepository history(path, m_clock);
        QSignalSpy warned(&history, &HistoryRepository::storageWarningChanged);
        // Any answer comes after the file was opened.
        QCOMPARE(history.stats(), HistoryStats {});
        if (kind == "read-only" && ::setresuid(0, 0, 0) != 0)
            qFatal("cannot become root again");
        MV_TRY_COMPARE(warned.size(), 1);
        QVERIFY(history.storageWarning().startsWith(
            QStringLiteral("The run history “%1” could not be opened: ").arg(path)));
        QVERIFY(history.storageWarning().endsWith(QStringLiteral(
            "Nothing was written to it; runs are recorded in memory until Marrowvale quits.")));

        history.begin(run(1, QStringLiteral("kept in memory"), now, RunResult::running));
        history.finish(run(1, QStringLiteral("kept in memory"), now, RunResult::success));
        QCOMPARE(history.fetch(10, 0), std::vector { run(1, QStringLiteral("kept in memory"), now) });
        QCOMPARE(history.stats().totalRuns, 1);
    }
    QCOMPARE(QFileInfo(path).isDir(), kind == "folder");
    if (kind != "folder")
        QCOMPARE(test::TempDir::read(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList { "history.sqlite" });
}

// A history whose damage is past its first page, in a page or only in an index that no longer matches its
// table: the check at the start finds it, the file is left byte for byte as it was, and runs go on being
// recorded in memory.
void tst_HistoryRepository::damagedFileIsLeftAsItIs_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("a damaged page") << "page";
    QTest::newRow("an index of another column") << "index column";
    // An index missing one row hides that row from every page read through it, and SQLite's quick check
    // does not compare an index with its table.
    QTest::newRow("an index missing a row") << "index entry";
}

void tst_HistoryRepository::damagedFileIsLeftAsItIs()
{
    QFETCH(QString, damage);
    const test::TempDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    {
        HistoryRepository history(path, m_clock);
        for (int i = 0; i < 500; ++i)
            history.begin(run(i, QStringLiteral("run %1").arg(i), now.addSecs(i)));
    }
    if (damage == "page") {
        constexpr qsizetype pageSize = 4096;
        QByteArray bytes = test::TempDir::read(path);
        QVERIFY(bytes.size() > 4 * pageSize);
        bytes.replace(bytes.size() - pageSize, pageSize, QByteArray(pageSize, '\xff'));
        dir.write(QStringLiteral("history.sqlite"), bytes);
    } else if (damage == "index column") {
        sqliteShell(path,
            QStringLiteral("PRAGMA writable_schema=ON; UPDATE sqlite_master SET sql='CREATE INDEX "
                           "idx_runs_result ON runs(job_name)' WHERE name='idx_runs_result';"));
    } else {
        // The index is rebuilt without the row of "run 7", then declared whole again.
        sqliteShell(path,
            QStringLiteral("DROP INDEX idx_runs_started; CREATE INDEX idx_runs_started ON "
                           "runs(started_at DESC) WHERE job_name <> 'run 7'; PRAGMA writable_schema=ON; "
                           "UPDATE sqlite_master SET sql='CREATE INDEX idx_runs_started ON "
                           "runs(started_at DESC)' WHERE name='idx_runs_started';"));
        QCOMPARE(sqliteShell(path, QStringLiteral("PRAGMA quick_check;")), QStringLiteral("ok\n"));
        QCOMPARE(sqliteShell(path,
                     QStringLiteral("SELECT count(*) FROM runs NOT INDEXED; SELECT count(*) FROM (SELECT "
                                    "id FROM runs ORDER BY started_at DESC LIMIT 1000);")),
            QStringLiteral("500\n499\n"));
    }
    const QByteArray before = test::TempDir::read(path);

    {
        HistoryRepository history(path, m_clock);
        QSignalSpy warned(&history, &HistoryRepository::storageWarningChanged);
        QCOMPARE(history.stats(), HistoryStats {});
        QCOMPARE(history.storageWarning(),
            QStringLiteral("The run history “%1” could not be opened: database disk image is malformed. "
                           "Nothing was written to it; runs are recorded in memory until Marrowvale quits.")
                .arg(path));
        MV_TRY_COMPARE(warned.size(), 1);
        history.begin(run(900, QStringLiteral("kept in memory"), now, RunResult::running));
        history.finish(run(900, QStringLiteral("kept in memory"), now, RunResult::success));
        QCOMPARE(history.fetch(10, 0), std::vector { run(900, QStringLiteral("kept in memory"), now) });
        QCOMPARE(history.stats().totalRuns, 1);
    }
    QCOMPARE(test::TempDir::read(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList { "history.sqlite" });
}

void tst_HistoryRepository::callsFromManyThreads()
{
    HistoryRepository history(m_support.filePath(QStringLiteral("threads.sqlite")), m_clock);
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&history, t] {
            for (int i = 0; i < 100; ++i) {
                history.begin(run(t * 100 + i, QStringLiteral("run"), now.addSecs(i)));
                history.stats();
            }
        });
    }
    for (auto& writer : writers)
        writer.join();
    QCOMPARE(history.stats().totalRuns, 400);
}

// A view's long read neither holds a run's rows nor is disturbed by them: the rows reach the file while the
// read is still under way, and the read answers for the history as it was asked.
void tst_HistoryRepository::writesGoOnWhileAReadIsHeld()
{
    const QString path = m_support.filePath(QStringLiteral("held.sqlite"));
    HistoryRepository history(path, m_clock);
    history.begin(run(1, QStringLiteral("before"), now));
    QCOMPARE(history.fetch(10, 0).size(), 1u);
    QSignalSpy changed(&history, &HistoryRepository::rowChanged);

    readHold.armed = true;
    const QFuture<std::vector<BackupRunRecord>> reading = history.fetchAsync(10, 0);
    QVERIFY(readHold.holding.tryAcquire(1, 600'000));
    history.begin(run(2, QStringLiteral("during"), now.addSecs(1), RunResult::running));
    history.finish(run(2, QStringLiteral("during"), now.addSecs(1)));
    MV_TRY_COMPARE(changed.size(), 1);
    QCOMPARE(sqliteShell(path, QStringLiteral("SELECT job_name, result FROM runs ORDER BY started_at")),
        QStringLiteral("before|success\nduring|success\n"));
    QVERIFY(!reading.isFinished());

    readHold.released.release();
    QCOMPARE(jobNames(reading.result()), QStringList { "before" });
    QCOMPARE(jobNames(history.fetch(10, 0)), (QStringList { "during", "before" }));
}

// Deleting a long history goes in short transactions: a run that starts meanwhile is written between two
// of them, long before the deletion ends, and only the rows there were when it was asked go.
void tst_HistoryRepository::longDeletionsLetRunsIn_data()
{
    QTest::addColumn<bool>("byAge");
    QTest::newRow("older than 90 days") << true;
    QTest::newRow("clear") << false;
}

void tst_HistoryRepository::longDeletionsLetRunsIn()
{
    QFETCH(bool, byAge);
    const QString path = m_support.filePath(QStringLiteral("long-%1.sqlite").arg(byAge));
    {
        HistoryRepository created(path, m_clock);
    }
    // 200,000 runs, a year old.
    sqliteShell(path,
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) "
                       "INSERT INTO runs (id, job_id, job_name, source_path, destination_id, "
                       "destination_name, destination_path, mode, trigger, started_at, ended_at, "
                       "result) SELECT printf('%08X-0000-4000-8000-000000000000', i), '%1', 'old', "
                       "'', '%1', '', '', 'incremental', 'manual', %2 + i, %2 + i, 'success' FROM n")
            .arg(uuid(1).toString(QUuid::WithoutBraces).toUpper())
            .arg(qint64(toEpochSeconds(now.addDays(-365)))));

    HistoryRepository history(path, m_clock);
    QStringList order;
    connect(&history, &HistoryRepository::rowAdded, this, [&] { order << "added"; });
    connect(&history, &HistoryRepository::rowsRemoved, this, [&] { order << "removed"; });
    if (byAge)
        history.deleteOlderThan(90);
    else
        history.clear();
    history.begin(run(900000, QStringLiteral("during"), now.addSecs(-3600), RunResult::running));

    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 2, 120'000);
    QCOMPARE(order, (QStringList { "added", "removed" }));
    QCOMPARE(jobNames(history.fetch(10, 0)), QStringList { "during" });
}

// At quit the history is drained without holding the caller: the drain answers once every read and write
// asked before it is done, so that what a quit records is in the file before the process ends.
void tst_HistoryRepository::drainFinishesWhatWasAskedWithoutWaiting()
{
    const QString path = m_support.filePath(QStringLiteral("drain.sqlite"));
    HistoryRepository history(path, m_clock);
    readHold.armed = true;
    const QFuture<std::vector<BackupRunRecord>> reading = history.fetchAsync(10, 0);
    QVERIFY(readHold.holding.tryAcquire(1, 600'000));
    history.begin(run(1, QStringLiteral("cancelled at quit"), now, RunResult::running));
    history.finish(run(1, QStringLiteral("cancelled at quit"), now, RunResult::cancelled));

    const QFuture<void> drained = history.drain();
    QVERIFY(!drained.isFinished());
    readHold.released.release();
    MV_TRY_VERIFY(drained.isFinished());
    QVERIFY(reading.isFinished());
    QCOMPARE(sqliteShell(path, QStringLiteral("SELECT job_name, result FROM runs")),
        QStringLiteral("cancelled at quit|cancelled\n"));
}

// A deletion by age still under way at quit stops where it is, the rest left for the next launch, while a
// run's rows asked for after it are still written.
void tst_HistoryRepository::drainStopsADeletionByAge()
{
    const QString path = m_support.filePath(QStringLiteral("drain-deleting.sqlite"));
    {
        HistoryRepository created(path, m_clock);
    }
    sqliteShell(path,
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 199999) "
                       "INSERT INTO runs (id, job_id, job_name, source_path, destination_id, "
                       "destination_name, destination_path, mode, trigger, started_at, ended_at, "
                       "result) SELECT printf('%08X-0000-4000-8000-000000000000', i), '%1', 'old', "
                       "'', '%1', '', '', 'incremental', 'manual', %2 + i, %2 + i, 'success' FROM n")
            .arg(uuid(1).toString(QUuid::WithoutBraces).toUpper())
            .arg(qint64(toEpochSeconds(now.addDays(-365)))));

    HistoryRepository history(path, m_clock);
    history.deleteOlderThan(90);
    history.begin(run(900000, QStringLiteral("during"), now, RunResult::cancelled));
    const QFuture<void> drained = history.drain();
    QTRY_VERIFY_WITH_TIMEOUT(drained.isFinished(), 120'000);
    QCOMPARE(sqliteShell(path, QStringLiteral("SELECT count(*) FROM runs WHERE job_name = 'during'")),
        QStringLiteral("1\n"));
    QVERIFY(sqliteShell(path, QStringLiteral("SELECT count(*) FROM runs WHERE job_name = 'old'"))
                .trimmed()
                .toInt()
        > 0);
}

QTEST_GUILESS_MAIN(tst_HistoryRepository)
#include "tst_HistoryRepository.moc"
