#pragma once

#include "model/BackupRunRecord.h"
#include "model/HistoryStats.h"
#include "platform/Clock.h"

#include <QFuture>
#include <QObject>
#include <QString>
#include <QUuid>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

struct sqlite3;

namespace mv {

struct SqlQuery;
class SqlStatement;
class HistoryConnection;
class HistoryQueue;

// The run history in a SQLite file: one row per backup, restore or missed schedule. Every operation may be
// called from any thread and none runs a statement on the caller's thread. Writes are queued and run in
// the order they were made, one at a time, on the history's writing thread; reads run on its reading
// thread, one at a time in the order asked, on a connection of their own, and see every write made before
// them. Deleting by age and clearing go in small transactions, so the writes made meanwhile run in
// between. Failures are not reported: a statement that cannot run leaves the history as it was, and
// queries then answer empty results. A file found damaged, at the start or by any later statement, is left
// as it is from then on, and the history moves to memory.
class HistoryRepository : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString storageWarning READ storageWarning NOTIFY storageWarningChanged)

public:
    // Opens or creates the database at `path` on the writing thread. The whole file is checked there first,
    // every index against its table; when the file cannot be used (also when it is not a database or is
    // damaged, and is then left untouched) the history lives in memory for this process and
    // storageWarning() says so. Rows left running by an earlier process are marked interrupted.
    explicit HistoryRepository(
        const QString& path, Clock& clock = Clock::system(), QObject* parent = nullptr);
    // Finishes every write made so far (a deletion by age still under way stops where it is). After a
    // finished drain() with nothing asked since, there is nothing left to wait for.
    ~HistoryRepository() override;

    // For the quit path: finishes once every write and read asked for before the call is done, without
    // holding the calling thread. A deletion by age still under way, or asked for later, stops where it is.
    QFuture<void> drain();

    // Writes the row of a run that started, replacing any row with the same id.
    void begin(const BackupRunRecord& record);
    // Completes the row of a run that ended: its end, result, counters, error, log path and truncation.
    void finish(const BackupRunRecord& record);
    // Writes `records` as begin() does, in one go, only when the history holds no row yet.
    void seedIfEmpty(std::vector<BackupRunRecord> records);
    void deleteRun(const QUuid& id);
    void clear();
    // Removes rows that started more than `days` days ago; 0 or less keeps everything.
    void deleteOlderThan(int days);

    // One page of rows, newest first. `query` (trimmed) matches, ignoring case, the job name, source,
    // destination name and path and the error summary; `%` and `_` keep their LIKE meaning.
    QFuture<std::vector<BackupRunRecord>> fetchAsync(int limit, int offset, QString query = {},
        std::optional<RunResult> result = std::nullopt, std::optional<QUuid> jobID = std::nullopt);
    QFuture<HistoryStats> statsAsync();
    // Writes the newest 10,000 rows as CSV to "Marrowvale-history-<local yyyy-MM-dd-HHmm>.csv" in the
    // support directory, on the reading thread; answers the file's path, or holds the FileSystemError.
    QFuture<QString> exportCSVFileAsync();

    // The same answers, waited for on the calling thread: for workers and tests, never the main thread.
    std::vector<BackupRunRecord> fetch(int limit, int offset, const QString& query = {},
        std::optional<RunResult> result = std::nullopt, std::optional<QUuid> jobID = std::nullopt);
    HistoryStats stats();
    // The newest 10,000 rows as CSV text.
    QString exportCSV();
    // Throws FileSystemError.
    QString exportCSVFile();

    // Empty while the history is kept in its file (or its check has not ended yet); otherwise a sentence
    // for the user saying why it is not and what that means.
    QString storageWarning() const;

Q_SIGNALS:
    // Emitted on this object's thread once the change is written.
    void rowAdded(const QUuid& id); // begin(), seedIfEmpty()
    void rowChanged(const QUuid& id); // finish()
    void rowRemoved(const QUuid& id); // deleteRun()
    void rowsRemoved(); // clear() and deleteOlderThan(): any number of rows
    void storageWarningChanged();

private:
    enum class Role { writing, reading };
    // A write's step; true when it has more to do after the transaction it just ran.
    using WriteStep = std::function<bool(bool closing)>;

    // On the writing thread, before any statement.
    void open(double nowSeconds);
    void moveToMemory(const QString& reason, const HistoryConnection* damaged);
    std::shared_ptr<HistoryConnection> connection(Role role) const;
    // Runs `use` on the connection while holding it; `use` answers whether it found the file damaged. The
    // history then moves to memory and `use` runs once more there.
    void withConnection(Role role, const std::function<bool(sqlite3*)>& use);
    void withStatement(Role role, const SqlQuery& query, const std::function<void(SqlStatement&)>& use);
    // On the reading thread.
    std::vector<BackupRunRecord> records(int limit, int offset, const QString& query,
        std::optional<RunResult> result, std::optional<QUuid> jobID);
    void write(WriteStep step);
    // Runs a statement that returns no rows; one that cannot complete sets the storage warning.
    void write(SqlQuery query, std::function<void()> written);
    void tellWriteFailed(const QString& reason);
    // Deletes the rows `batch` selects in transactions of about 50 ms until none is left.
    void deleteInBatches(std::function<SqlQuery(qint64 lastRow, int limit)> batch, bool mayStopAtClose,
        std::function<void()> done);
    // Runs `read` on the reading thread once every write made before this call is done.
    void read(std::function<void()> read);
    void announce(std::function<void()> emitSignal);

    Clock& m_clock;
    const QString m_path;

    std::atomic<bool> m_draining = false; // deletions by age stop: the program is quitting

    mutable std::mutex m_state; // the three below
    std::shared_ptr<HistoryConnection> m_writer; // none until opened, and when no database could be had
    std::shared_ptr<HistoryConnection> m_reader; // the writer's connection when the file has no second one
    QString m_storageWarning;

    std::mutex m_ledger; // the writes not done yet, by their order of issue
    std::condition_variable m_writeDone;
    std::set<quint64> m_pendingWrites;
    quint64 m_lastIssued = 0;

    // Last, so they end first: the writing thread finishes, then the reads waiting for it.
    std::unique_ptr<HistoryQueue> m_reading;
    std::unique_ptr<HistoryQueue> m_writing;
};

} // namespace mv
