#pragma once

#include "model/BackupRunRecord.h"
#include "model/HistoryStats.h"
#include "platform/Clock.h"

#include <QFuture>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct sqlite3;

namespace mv {

struct SqlQuery;
class SqlStatement;

// The run history in a SQLite file: one row per backup, restore or missed schedule. Every operation may be
// called from any thread; statements run one at a time under the repository's lock, and each caller waits
// for its own. Failures are not reported: a statement that cannot run leaves the history as it was, and
// queries then answer empty results. A file found damaged, at the start or by any later statement, is left
// as it is from then on, and the history moves to memory.
class HistoryRepository : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString storageWarning READ storageWarning NOTIFY storageWarningChanged)

public:
    // Opens or creates the database at `path`. When the file cannot be used (also when it is not a database
    // or is damaged, and is then left untouched) the history lives in memory for this process and
    // storageWarning() says so. The whole file is checked on a worker thread; the first statement waits for
    // that check. Rows left running by an earlier process are marked interrupted.
    explicit HistoryRepository(
        const QString& path, Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~HistoryRepository() override;

    // Writes the row of a run that started, replacing any row with the same id.
    void begin(const BackupRunRecord& record);
    // Completes the row of a run that ended: its end, result, counters, error, log path and truncation.
    void finish(const BackupRunRecord& record);
    // One page of rows, newest first. `query` (trimmed) matches, ignoring case, the job name, source,
    // destination name and path and the error summary; `%` and `_` keep their LIKE meaning.
    std::vector<BackupRunRecord> fetch(int limit, int offset, const QString& query = {},
        std::optional<RunResult> result = std::nullopt, std::optional<QUuid> jobID = std::nullopt);
    HistoryStats stats();
    void deleteRun(const QUuid& id);
    void clear();
    // Removes rows that started more than `days` days ago; 0 or less keeps everything.
    void deleteOlderThan(int days);

    // The newest 10,000 rows as CSV text.
    QString exportCSV();
    // Writes exportCSV() to "Marrowvale-history-<local yyyy-MM-dd-HHmm>.csv" in the support directory and
    // returns the file's path. Throws FileSystemError.
    QString exportCSVFile();

    // Empty while the history is kept in its file and every write to it succeeded; otherwise a sentence for
    // the user saying why it is not, or what could not be written, and what that means.
    QString storageWarning();

Q_SIGNALS:
    // storageWarning() was set: each time a write fails, also to the same text. Emitted on the thread that
    // found the problem, possibly while the repository is busy: connect queued.
    void storageWarningChanged();
    // Emitted on the thread that made the change, after it was written.
    void rowAdded(const QUuid& id); // begin()
    void rowChanged(const QUuid& id); // finish()
    void rowRemoved(const QUuid& id); // deleteRun()
    void rowsRemoved(); // clear() and deleteOlderThan(): any number of rows

private:
    // On the worker, before any statement: checks the whole file and prepares it for use, closing the rows
    // left running before `nowSeconds`. Answers why the file cannot be used, or nothing.
    std::optional<QString> prepareFile(double nowSeconds);
    // Answers SQLite's result of creating the table.
    int createSchema();
    // The rest, under the lock.
    void awaitCheck();
    void moveToMemory(const QString& reason);
    // Runs `use` on the prepared `query`. Should the statement find the file damaged, the history moves to
    // memory and `use` runs once more there.
    void withStatement(const SqlQuery& query, const std::function<void(SqlStatement&)>& use);
    // Runs a statement that returns no rows; one that cannot complete sets the storage warning.
    void run(const SqlQuery& query);

    Clock& m_clock;
    QString m_path;
    std::mutex m_queue;
    sqlite3* m_database = nullptr;
    std::optional<QFuture<std::optional<QString>>> m_check; // until its verdict is applied
    QString m_storageWarning;
};

} // namespace mv
