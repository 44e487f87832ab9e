#include "model/HistoryRepository.h"

#include "model/AppPaths.h"
#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "model/HistoryCsv.h"
#include "model/HistorySql.h"
#include "model/SqlStatement.h"
#include "model/UuidText.h"
#include "platform/WorkerPool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <fcntl.h>
#include <sqlite3.h>
#include <syslog.h>
#include <unistd.h>

namespace mv {

namespace {

// Every use of the connection is already serialised by the repository's lock, so SQLite's own per-call
// mutex would only add a lock and an unlock to each column read (a tenth of a large fetch).
constexpr int openFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
constexpr int exportLimit = 10'000;

// Raw strings are short ASCII names: widening the bytes on the stack spares an allocation per column,
// which a 10,000-row export would otherwise make 30,000 times.
template <typename E> E enumAt(const SqlStatement& row, int column, E fallback)
{
    const QByteArrayView text = row.utf8(column);
    char16_t wide[32];
    if (text.size() > qsizetype(std::size(wide)))
        return fallback;
    std::copy(text.begin(), text.end(), wide);
    return enumFromString<E>(QStringView(wide, text.size())).value_or(fallback);
}

// The current row as a record, or none when one of its identifiers is missing or unreadable.
std::optional<BackupRunRecord> record(const SqlStatement& row)
{
    const auto id = parseUuid(row.utf8(0));
    const auto jobID = parseUuid(row.utf8(1));
    const auto destinationID = parseUuid(row.utf8(4));
    if (!id || !jobID || !destinationID)
        return std::nullopt;
    BackupRunRecord r;
    r.id = *id;
    r.jobID = *jobID;
    r.jobName = row.text(2);
    r.sourcePath = row.text(3);
    r.destinationID = *destinationID;
    r.destinationName = row.text(5);
    r.destinationPath = row.text(6);
    r.mode = enumAt(row, 7, BackupMode::incremental);
    r.trigger = enumAt(row, 8, RunTrigger::manual);
    r.startedAt = fromEpochSeconds(row.real(9));
    if (!row.isNull(10))
        r.endedAt = fromEpochSeconds(row.real(10));
    r.result = enumAt(row, 11, RunResult::failed);
    r.bytesTransferred = row.int64(12);
    r.filesCopied = row.int64(13);
    r.filesUpdated = row.int64(14);
    r.filesDeleted = row.int64(15);
    r.errorSummary = row.optionalText(16);
    r.logPath = row.optionalText(17);
    r.logTruncated = row.int64(18) == 1;
    return r;
}

// A new history file is made owner-only before SQLite opens it, since it holds the user's paths; SQLite
// gives its log files the same mode. An existing file, or anything else at the path, is left alone.
void createOwnerOnlyFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

// SQLite itself takes a file of 1 to 511 bytes for a database to start afresh; only an empty file is one.
constexpr qint64 smallestDatabase = 512;

// Opens the file at `path` if it holds a usable database (or nothing yet). A file that is not a database,
// or one whose first page is damaged, is refused before anything could be written to it. `reason` says why
// it was refused.
sqlite3* openFile(const QString& path, QString& reason)
{
    createOwnerOnlyFile(path);
    const QFileInfo file(path);
    if (file.isFile() && file.size() > 0 && file.size() < smallestDatabase) {
        reason = QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB));
        return nullptr;
    }
    sqlite3* database = nullptr;
    int status = sqlite3_open_v2(QFile::encodeName(path).constData(), &database, openFlags, nullptr);
    // SQLite falls back to reading a file it may not write, and every later write would then be lost
    // without a word. It knows this on opening, before anything could be written beside the file.
    if (status == SQLITE_OK && sqlite3_db_readonly(database, "main") == 1) {
        reason = QStringLiteral("the file is read-only");
        sqlite3_close(database);
        return nullptr;
    }
    if (status == SQLITE_OK) {
        sqlite3_busy_timeout(database, 2000);
        // Reading the schema checks the header and the first page and writes nothing.
        status = sqlite3_exec(database, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        // A database another process holds locked is still ours to use once it lets go.
        if (status == SQLITE_OK || status == SQLITE_BUSY)
            return database;
    }
    reason = QString::fromUtf8(database ? sqlite3_errmsg(database) : sqlite3_errstr(status));
    sqlite3_close(database);
    return nullptr;
}

// Whether every page of the file reads as SQLite wrote it. A file another process holds locked cannot be
// checked now and counts as sound; anything wrong then shows in the statement that finds it.
bool passesQuickCheck(sqlite3* database)
{
    SqlStatement check(database, { "PRAGMA quick_check", {} });
    if (check.next())
        return check.utf8(0) == "ok";
    return !check.foundDamage();
}

sqlite3* openInMemory()
{
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(":memory:", &database, openFlags, nullptr) != SQLITE_OK) {
        sqlite3_close(database);
        return nullptr;
    }
    sqlite3_busy_timeout(database, 2000);
    return database;
}

void logToSystem(const QString& message)
{
    openlog("marrowvale", LOG_PID, LOG_USER);
    syslog(LOG_WARNING, "%s", message.toUtf8().constData());
}

} // namespace

HistoryRepository::HistoryRepository(const QString& path, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_path(path)
{
    try {
        AppPaths::ensureDirectories();
    } catch (const FileSystemError&) {
        // Opening the file below fails on its own if its folder is missing.
    }
    QString reason;
    m_database = openFile(path, reason);
    if (!m_database) {
        moveToMemory(reason);
        return;
    }
    // Reading every page of a large history takes a while; the program need not wait for it to start.
    m_check = QtConcurrent::run(
        &WorkerPool::instance(), [this, now = toEpochSeconds(m_clock.now())] { return prepareFile(now); });
}

HistoryRepository::~HistoryRepository()
{
    if (m_check)
        m_check->waitForFinished();
    sqlite3_close(m_database);
}

std::optional<QString> HistoryRepository::prepareFile(double nowSeconds)
{
    if (!passesQuickCheck(m_database))
        return QString::fromUtf8(sqlite3_errstr(SQLITE_CORRUPT));
    sqlite3_exec(m_database, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(m_database, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    // A file with no room for its table (a full disk) could never hold a run.
    const int schema = createSchema();
    if (schema != SQLITE_OK && schema != SQLITE_BUSY && schema != SQLITE_LOCKED)
        return QString::fromUtf8(sqlite3_errstr(schema));
    SqlStatement(m_database, HistorySql::markRunningInterrupted(nowSeconds)).run();
    return std::nullopt;
}

int HistoryRepository::createSchema()
{
    const int table = sqlite3_exec(m_database, HistorySql::createTable, nullptr, nullptr, nullptr);
    for (const char* index : HistorySql::createIndexes)
        sqlite3_exec(m_database, index, nullptr, nullptr, nullptr);
    return table;
}

void HistoryRepository::awaitCheck()
{
    if (!m_check)
        return;
    const std::optional<QString> problem = m_check->result();
    m_check.reset();
    if (problem)
        moveToMemory(*problem);
}

// The file is left as it is from here on: closed before anything more could be written to it.
void HistoryRepository::moveToMemory(const QString& reason)
{
    sqlite3_close(m_database);
    m_database = openInMemory();
    const QString problem = QStringLiteral("The run history “%1” could not be opened: %2.")
                                .arg(QDir::toNativeSeparators(m_path), reason);
    m_storageWarning = m_database
        ? problem
            + QStringLiteral(
                " Nothing was written to it; runs are recorded in memory until Marrowvale quits.")
        : problem + QStringLiteral(" Runs are not recorded until Marrowvale restarts.");
    logToSystem(m_storageWarning);
    if (m_database)
        createSchema();
    Q_EMIT storageWarningChanged();
}

void HistoryRepository::withStatement(const SqlQuery& query, const std::function<void(SqlStatement&)>& use)
{
    awaitCheck();
    {
        SqlStatement statement(m_database, query);
        use(statement);
        if (!statement.foundDamage())
            return;
    }
    moveToMemory(QString::fromUtf8(sqlite3_errstr(SQLITE_CORRUPT)));
    SqlStatement statement(m_database, query);
    use(statement);
}

void HistoryRepository::run(const SqlQuery& query)
{
    {
        const std::lock_guard lock(m_queue);
        std::optional<QString> failure;
        withStatement(query, [&](SqlStatement& statement) {
            failure = statement.run() ? std::nullopt : std::optional(statement.resultText());
        });
        if (!failure)
            return;
        // Without any database the warning already says that nothing is recorded.
        if (m_database)
            m_storageWarning = QStringLiteral("The run history “%1” could not be written: %2. Backups still "
                                              "run, but what they do is not recorded.")
                                   .arg(QDir::toNativeSeparators(m_path), *failure);
    }
    Q_EMIT storageWarningChanged();
}

QString HistoryRepository::storageWarning()
{
    const std::lock_guard lock(m_queue);
    awaitCheck();
    return m_storageWarning;
}

void HistoryRepository::begin(const BackupRunRecord& record)
{
    run(HistorySql::begin(record));
    Q_EMIT rowAdded(record.id);
}

void HistoryRepository::finish(const BackupRunRecord& record)
{
    run(HistorySql::finish(record));
    Q_EMIT rowChanged(record.id);
}

std::vector<BackupRunRecord> HistoryRepository::fetch(
    int limit, int offset, const QString& query, std::optional<RunResult> result, std::optional<QUuid> jobID)
{
    std::vector<BackupRunRecord> records;
    const std::lock_guard lock(m_queue);
    withStatement(HistorySql::fetch(limit, offset, query, result, jobID), [&](SqlStatement& statement) {
        records.clear();
        records.reserve(std::clamp(limit, 0, exportLimit));
        while (statement.next()) {
            if (auto r = record(statement))
                records.push_back(std::move(*r));
        }
    });
    return records;
}

HistoryStats HistoryRepository::stats()
{
    HistoryStats stats;
    const std::lock_guard lock(m_queue);
    withStatement(HistorySql::stats(), [&](SqlStatement& statement) {
        stats = {};
        if (!statement.next())
            return;
        stats.totalRuns = statement.int64(0);
        stats.successRuns = statement.int64(1);
        stats.failedRuns = statement.int64(2);
        stats.totalBytes = statement.int64(3);
        if (!statement.isNull(4))
            stats.lastSuccess = fromEpochSeconds(statement.real(4));
    });
    return stats;
}

void HistoryRepository::deleteRun(const QUuid& id)
{
    run(HistorySql::deleteRun(id));
    Q_EMIT rowRemoved(id);
}

void HistoryRepository::clear()
{
    run({ HistorySql::clear, {} });
    Q_EMIT rowsRemoved();
}

void HistoryRepository::deleteOlderThan(int days)
{
    if (days <= 0)
        return;
    run(HistorySql::deleteStartedBefore(toEpochSeconds(m_clock.now()) - double(days) * 86'400.0));
    Q_EMIT rowsRemoved();
}

QString HistoryRepository::exportCSV()
{
    return HistoryCsv::format(fetch(exportLimit, 0));
}

QString HistoryRepository::exportCSVFile()
{
    AppPaths::ensureDirectories();
    const QString name = QStringLiteral("Marrowvale-history-%1.csv")
                             .arg(m_clock.now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd-HHmm")));
    const QString path = QDir(AppPaths::supportDirectory()).filePath(name);
    AtomicFile::write(path, exportCSV().toUtf8());
    return path;
}

} // namespace mv
