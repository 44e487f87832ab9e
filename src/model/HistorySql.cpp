#include "model/HistorySql.h"

#include "model/UuidText.h"

namespace mv::HistorySql {

namespace {

constexpr char columns[]
    = "id, job_id, job_name, source_path, destination_id, destination_name, destination_path,\n"
      "mode, trigger, started_at, ended_at, result, bytes_transferred, files_copied,\n"
      "files_updated, files_deleted, error_summary, log_path, log_truncated";

// SQLite's LIKE already ignores the case of ASCII letters, and only of those, exactly as LOWER() folds them;
// leaving LOWER() out gives the same rows and makes a search that reads the whole table about twice as fast.
constexpr char searchCondition[] = "(job_name LIKE ? OR source_path LIKE ?\n"
                                   " OR destination_name LIKE ? OR destination_path LIKE ?\n"
                                   " OR COALESCE(error_summary,'') LIKE ?)";

SqlValue optionalText(const std::optional<QString>& text)
{
    return text ? SqlValue(*text) : SqlValue(nullptr);
}

SqlValue optionalDate(const std::optional<QDateTime>& date)
{
    return date ? SqlValue(toEpochSeconds(*date)) : SqlValue(nullptr);
}

SqlValue flag(bool value)
{
    return qint64(value ? 1 : 0);
}

} // namespace

const char createTable[] = "CREATE TABLE IF NOT EXISTS runs (\n"
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

const std::array<const char*, 3> createIndexes = {
    "CREATE INDEX IF NOT EXISTS idx_runs_started ON runs(started_at DESC);",
    "CREATE INDEX IF NOT EXISTS idx_runs_job ON runs(job_id, started_at DESC);",
    "CREATE INDEX IF NOT EXISTS idx_runs_result ON runs(result);",
};

SqlQuery begin(const BackupRunRecord& r)
{
    return { QByteArray("INSERT OR REPLACE INTO runs (") + columns
            + ")\nVALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
        { uuidText(r.id), uuidText(r.jobID), r.jobName, r.sourcePath, uuidText(r.destinationID),
            r.destinationName, r.destinationPath, toString(r.mode), toString(r.trigger),
            toEpochSeconds(r.startedAt), optionalDate(r.endedAt), toString(r.result), r.bytesTransferred,
            r.filesCopied, r.filesUpdated, r.filesDeleted, optionalText(r.errorSummary),
            optionalText(r.logPath), flag(r.logTruncated) } };
}

SqlQuery finish(const BackupRunRecord& r)
{
    return { "UPDATE runs SET ended_at=?, result=?, bytes_transferred=?, files_copied=?,\n"
             "files_updated=?, files_deleted=?, error_summary=?, log_path=?, log_truncated=?\n"
             "WHERE id=?",
        { optionalDate(r.endedAt), toString(r.result), r.bytesTransferred, r.filesCopied, r.filesUpdated,
            r.filesDeleted, optionalText(r.errorSummary), optionalText(r.logPath), flag(r.logTruncated),
            uuidText(r.id) } };
}

SqlQuery fetch(
    int limit, int offset, const QString& query, std::optional<RunResult> result, std::optional<QUuid> jobID)
{
    SqlQuery fetch;
    QByteArrayList conditions;
    if (const QString trimmed = query.trimmed(); !trimmed.isEmpty()) {
        conditions << searchCondition;
        fetch.parameters.insert(fetch.parameters.end(), 5, u'%' + trimmed + u'%');
    }
    if (result) {
        conditions << "result = ?";
        fetch.parameters.emplace_back(toString(*result));
    }
    if (jobID) {
        conditions << "job_id = ?";
        fetch.parameters.emplace_back(uuidText(*jobID));
    }
    fetch.parameters.emplace_back(qint64(limit));
    fetch.parameters.emplace_back(qint64(offset));

    fetch.sql = QByteArray("SELECT ") + columns + " FROM runs\n";
    if (!conditions.isEmpty())
        fetch.sql += "WHERE " + conditions.join(" AND ");
    fetch.sql += "\nORDER BY started_at DESC\nLIMIT ? OFFSET ?";
    return fetch;
}

SqlQuery stats()
{
    return { "SELECT COUNT(*),\n"
             "       COALESCE(SUM(CASE WHEN result='success' THEN 1 ELSE 0 END),0),\n"
             "       COALESCE(SUM(CASE WHEN result='failed' THEN 1 ELSE 0 END),0),\n"
             "       COALESCE(SUM(bytes_transferred),0),\n"
             "       MAX(CASE WHEN result='success' THEN ended_at END)\n"
             "FROM runs",
        {} };
}

SqlQuery deleteRun(const QUuid& id)
{
    return { "DELETE FROM runs WHERE id=?", { uuidText(id) } };
}

SqlQuery lastRowNumber()
{
    return { "SELECT COALESCE(MAX(rowid),0) FROM runs", {} };
}

SqlQuery hasRows()
{
    return { "SELECT EXISTS(SELECT 1 FROM runs)", {} };
}

SqlQuery clearBatch(qint64 lastRow, int limit)
{
    return {
        "DELETE FROM runs WHERE rowid IN (SELECT rowid FROM runs WHERE rowid <= ? ORDER BY rowid LIMIT ?)",
        { lastRow, qint64(limit) }
    };
}

SqlQuery deleteStartedBeforeBatch(double cutoffSeconds, qint64 lastRow, int limit)
{
    return { "DELETE FROM runs WHERE rowid IN\n"
             "(SELECT rowid FROM runs WHERE started_at < ? AND rowid <= ? LIMIT ?)",
        { cutoffSeconds, lastRow, qint64(limit) } };
}

SqlQuery markRunningInterrupted(double nowSeconds)
{
    return { "UPDATE runs SET result='interrupted', ended_at=? WHERE result='running'", { nowSeconds } };
}

} // namespace mv::HistorySql
