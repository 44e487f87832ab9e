#include "model/HistoryRepository.h"

#include "model/AppPaths.h"
#include "model/FileSystemError.h"
#include "model/HistoryCsv.h"
#include "model/SqlStatement.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sqlite3.h>
#include <syslog.h>
#include <unistd.h>

namespace mv {

namespace {

constexpr int openFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
constexpr int exportLimit = 10'000;

constexpr char createTable[] = "CREATE TABLE IF NOT EXISTS runs (\n"
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
                               ");";

constexpr const char* createIndexes[] = {
    "CREATE INDEX IF NOT EXISTS idx_runs_started ON runs(started_at DESC);",
    "CREATE INDEX IF NOT EXISTS idx_runs_job ON runs(job_id, started_at DESC);",
    "CREATE INDEX IF NOT EXISTS idx_runs_result ON runs(result);",
};

// The 19 columns in table order; record() reads them by these positions.
constexpr char columns[]
    = "id, job_id, job_name, source_path, destination_id, destination_name, destination_path,\n"
      "mode, trigger, started_at, ended_at, result, bytes_transferred, files_copied,\n"
      "files_updated, files_deleted, error_summary, log_path, log_truncated";

constexpr char searchCondition[]
    = "(LOWER(job_name) LIKE LOWER(?) OR LOWER(source_path) LIKE LOWER(?)\n"
      " OR LOWER(destination_name) LIKE LOWER(?) OR LOWER(destination_path) LIKE LOWER(?)\n"
      " OR LOWER(COALESCE(error_summary,'')) LIKE LOWER(?))";

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

SqlValue optionalText(const std::optional<QString>& text)
{
    return text ? SqlValue(*text) : SqlValue(nullptr);
}

SqlValue optionalDate(const std::optional<QDateTime>& date)
{
    return date ? SqlValue(toEpochSeconds(*date)) : SqlValue(nullptr);
}

std::optional<QUuid> uuidAt(const SqlStatement& row, int column)
{
    const QByteArrayView text = row.utf8(column);
    const QUuid id = QUuid::fromString(QUtf8StringView(text.data(), text.size()));
    if (id.isNull())
        return std::nullopt;
    return id;
}

template <typename E> E enumAt(const SqlStatement& row, int column, E fallback)
{
    return enumFromString<E>(QString::fromUtf8(row.utf8(column))).value_or(fallback);
}

// The current row as a record, or none when one of its identifiers is missing or unreadable.
std::optional<BackupRunRecord> record(const SqlStatement& row)
{
    const auto id = uuidAt(row, 0);
    const auto jobID = uuidAt(row, 1);
    const auto destinationID = uuidAt(row, 4);
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

// Opens the file at `path` if it holds a usable database (or nothing yet). A file that is not a database,
// or a damaged one, is refused before anything could be written to it. `reason` says why it was refused.
sqlite3* openFile(const QString& path, QString& reason)
{
    createOwnerOnlyFile(path);
    sqlite3* database = nullptr;
    int status = sqlite3_open_v2(QFile::encodeName(path).constData(), &database, openFlags, nullptr);
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
{
    try {
        AppPaths::ensureDirectories();
    } catch (const FileSystemError&) {
        // Opening the file below fails on its own if its folder is missing.
    }
    QString reason;
    m_database = openFile(path, reason);
    if (!m_database) {
        m_database = openInMemory();
        const QString problem = QStringLiteral("The run history “%1” could not be opened: %2.")
                                    .arg(QDir::toNativeSeparators(path), reason);
        m_storageWarning = m_database
            ? problem
                + QStringLiteral(
                    " Nothing was written to it; runs are recorded in memory until Marrowvale quits.")
            : problem + QStringLiteral(" Runs are not recorded until Marrowvale restarts.");
        logToSystem(m_storageWarning);
    }
    if (!m_database)
        return;
    sqlite3_exec(m_database, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(m_database, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    createSchema();
    markOrphanedRunsInterrupted();
}

HistoryRepository::~HistoryRepository()
{
    sqlite3_close(m_database);
}

void HistoryRepository::createSchema()
{
    sqlite3_exec(m_database, createTable, nullptr, nullptr, nullptr);
    for (const char* index : createIndexes)
        sqlite3_exec(m_database, index, nullptr, nullptr, nullptr);
}

void HistoryRepository::begin(const BackupRunRecord& r)
{
    const std::lock_guard lock(m_queue);
    SqlStatement statement(m_database,
        QByteArray("INSERT OR REPLACE INTO runs (") + columns
            + ")\nVALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    statement.bind({ uuidText(r.id), uuidText(r.jobID), r.jobName, r.sourcePath, uuidText(r.destinationID),
        r.destinationName, r.destinationPath, toString(r.mode), toString(r.trigger),
        toEpochSeconds(r.startedAt), optionalDate(r.endedAt), toString(r.result), r.bytesTransferred,
        r.filesCopied, r.filesUpdated, r.filesDeleted, optionalText(r.errorSummary), optionalText(r.logPath),
        qint64(r.logTruncated ? 1 : 0) });
    statement.run();
}

void HistoryRepository::finish(const BackupRunRecord& r)
{
    const std::lock_guard lock(m_queue);
    SqlStatement statement(m_database,
        "UPDATE runs SET ended_at=?, result=?, bytes_transferred=?, files_copied=?,\n"
        "files_updated=?, files_deleted=?, error_summary=?, log_path=?, log_truncated=?\n"
        "WHERE id=?");
    statement.bind({ optionalDate(r.endedAt), toString(r.result), r.bytesTransferred, r.filesCopied,
        r.filesUpdated, r.filesDeleted, optionalText(r.errorSummary), optionalText(r.logPath),
        qint64(r.logTruncated ? 1 : 0), uuidText(r.id) });
    statement.run();
}

std::vector<BackupRunRecord> HistoryRepository::fetch(
    int limit, int offset, const QString& query, std::optional<RunResult> result, std::optional<QUuid> jobID)
{
    QByteArrayList conditions;
    std::vector<SqlValue> parameters;
    if (const QString trimmed = query.trimmed(); !trimmed.isEmpty()) {
        conditions << searchCondition;
        parameters.insert(parameters.end(), 5, u'%' + trimmed + u'%');
    }
    if (result) {
        conditions << "result = ?";
        parameters.emplace_back(toString(*result));
    }
    if (jobID) {
        conditions << "job_id = ?";
        parameters.emplace_back(uuidText(*jobID));
    }
    parameters.emplace_back(qint64(limit));
    parameters.emplace_back(qint64(offset));

    QByteArray sql = QByteArray("SELECT ") + columns + " FROM runs\n";
    if (!conditions.isEmpty())
        sql += "WHERE " + conditions.join(" AND ");
    sql += "\nORDER BY started_at DESC\nLIMIT ? OFFSET ?";

    std::vector<BackupRunRecord> records;
    const std::lock_guard lock(m_queue);
    SqlStatement statement(m_database, sql);
    for (int i = 0; i < int(parameters.size()); ++i)
        statement.bind(i + 1, parameters[i]);
    while (statement.next()) {
        if (auto r = record(statement))
            records.push_back(std::move(*r));
    }
    return records;
}

HistoryStats HistoryRepository::stats()
{
    const std::lock_guard lock(m_queue);
    SqlStatement statement(m_database,
        "SELECT COUNT(*),\n"
        "       COALESCE(SUM(CASE WHEN result='success' THEN 1 ELSE 0 END),0),\n"
        "       COALESCE(SUM(CASE WHEN result='failed' THEN 1 ELSE 0 END),0),\n"
        "       COALESCE(SUM(bytes_transferred),0),\n"
        "       MAX(CASE WHEN result='success' THEN ended_at END)\n"
        "FROM runs");
    HistoryStats stats;
    if (!statement.next())
        return stats;
    stats.totalRuns = statement.int64(0);
    stats.successRuns = statement.int64(1);
    stats.failedRuns = statement.int64(2);
    stats.totalBytes = statement.int64(3);
    if (!statement.isNull(4))
        stats.lastSuccess = fromEpochSeconds(statement.real(4));
    return stats;
}

void HistoryRepository::deleteRun(const QUuid& id)
{
    const std::lock_guard lock(m_queue);
    SqlStatement statement(m_database, "DELETE FROM runs WHERE id=?");
    statement.bind({ uuidText(id) });
    statement.run();
}

void HistoryRepository::clear()
{
    const std::lock_guard lock(m_queue);
    if (m_database)
        sqlite3_exec(m_database, "DELETE FROM runs", nullptr, nullptr, nullptr);
}

void HistoryRepository::deleteOlderThan(int days)
{
    if (days <= 0)
        return;
    const double cutoff = toEpochSeconds(m_clock.now()) - double(days) * 86'400.0;
    const std::lock_guard lock(m_queue);
    SqlStatement statement(m_database, "DELETE FROM runs WHERE started_at < ?");
    statement.bind({ cutoff });
    statement.run();
}

void HistoryRepository::markOrphanedRunsInterrupted()
{
    const double now = toEpochSeconds(m_clock.now());
    const std::lock_guard lock(m_queue);
    SqlStatement statement(
        m_database, "UPDATE runs SET result='interrupted', ended_at=? WHERE result='running'");
    statement.bind({ now });
    statement.run();
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
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly)
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(exportCSV().toUtf8()) >= 0 && file.commit();
    if (!written) {
        throw FileSystemError(QStringLiteral("The history could not be exported to “%1”: %2.")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return path;
}

} // namespace mv
