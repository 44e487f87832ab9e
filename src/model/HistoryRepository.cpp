#include "model/HistoryRepository.h"

#include "model/AppPaths.h"
#include "model/AtomicFile.h"
#include "model/FileSystemError.h"
#include "model/HistoryConnection.h"
#include "model/HistoryCsv.h"
#include "model/HistoryQueue.h"
#include "model/HistorySql.h"
#include "model/SqlStatement.h"
#include "model/UuidText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QPromise>

#include <algorithm>
#include <sqlite3.h>
#include <syslog.h>

namespace mv {

namespace {

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

void logToSystem(const QString& message)
{
    openlog("marrowvale", LOG_PID, LOG_USER);
    syslog(LOG_WARNING, "%s", message.toUtf8().constData());
}

// A deletion of many rows holds the file's one writer for about this long at a time, in batches of rows.
constexpr qint64 transactionBudgetNs = 50'000'000;
constexpr int batchRows = 100;

// Answers SQLite's result of creating the table.
int createSchema(sqlite3* database)
{
    const int table = sqlite3_exec(database, HistorySql::createTable, nullptr, nullptr, nullptr);
    for (const char* index : HistorySql::createIndexes)
        sqlite3_exec(database, index, nullptr, nullptr, nullptr);
    return table;
}

QString damagedReason()
{
    return QString::fromUtf8(sqlite3_errstr(SQLITE_CORRUPT));
}

} // namespace

HistoryRepository::HistoryRepository(const QString& path, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_path(path)
    , m_reading(std::make_unique<HistoryQueue>())
    , m_writing(std::make_unique<HistoryQueue>())
{
    // Checking every page and index of a long history takes seconds: the program need not wait for it.
    write([this, now = toEpochSeconds(m_clock.now())](bool) {
        open(now);
        return false;
    });
}

HistoryRepository::~HistoryRepository()
{
    // Idle after the quit path's drain(); only without one (tests) is there anything left to wait for.
    m_writing.reset();
    m_reading.reset();
}

void HistoryRepository::open(double nowSeconds)
{
    try {
        AppPaths::ensureDirectories();
    } catch (const FileSystemError&) {
        // Opening the file below fails on its own if its folder is missing.
    }
    QString reason;
    std::shared_ptr<HistoryConnection> writer = HistoryConnection::openFile(m_path, reason);
    if (!writer) {
        moveToMemory(reason, nullptr);
        return;
    }
    if (!writer->passesIntegrityCheck()) {
        writer.reset();
        moveToMemory(damagedReason(), nullptr);
        return;
    }
    // Nobody else holds the connection yet.
    sqlite3_exec(writer->handle, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(writer->handle, "PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    // A file with no room for its table (a full disk) could never hold a run.
    const int schema = createSchema(writer->handle);
    if (schema != SQLITE_OK && schema != SQLITE_BUSY && schema != SQLITE_LOCKED) {
        writer.reset();
        moveToMemory(QString::fromUtf8(sqlite3_errstr(schema)), nullptr);
        return;
    }
    SqlStatement(writer->handle, HistorySql::markRunningInterrupted(nowSeconds)).run();
    std::shared_ptr<HistoryConnection> reader = HistoryConnection::openReader(m_path);
    const std::lock_guard lock(m_state);
    m_writer = writer;
    m_reader = reader ? reader : writer;
}

// The file is left as it is from here on: its connections close once the statements under way let go.
void HistoryRepository::moveToMemory(const QString& reason, const HistoryConnection* damaged)
{
    QString warning;
    {
        const std::lock_guard lock(m_state);
        if (damaged && m_writer.get() != damaged && m_reader.get() != damaged)
            return; // another statement found it first
        std::shared_ptr<HistoryConnection> memory = HistoryConnection::openInMemory();
        if (memory)
            createSchema(memory->handle);
        m_writer = memory;
        m_reader = memory;
        const QString problem = QStringLiteral("The run history “%1” could not be opened: %2.")
                                    .arg(QDir::toNativeSeparators(m_path), reason);
        m_storageWarning = memory
            ? problem
                + QStringLiteral(
                    " Nothing was written to it; runs are recorded in memory until Marrowvale quits.")
            : problem + QStringLiteral(" Runs are not recorded until Marrowvale restarts.");
        warning = m_storageWarning;
    }
    logToSystem(warning);
    announce([this] { Q_EMIT storageWarningChanged(); });
}

std::shared_ptr<HistoryConnection> HistoryRepository::connection(Role role) const
{
    const std::lock_guard lock(m_state);
    return role == Role::writing ? m_writer : m_reader;
}

void HistoryRepository::withConnection(Role role, const std::function<bool(sqlite3*)>& use)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::shared_ptr<HistoryConnection> held = connection(role);
        if (!held)
            return;
        bool damaged = false;
        {
            const std::lock_guard lock(held->lock);
            damaged = use(held->handle);
        }
        if (!damaged)
            return;
        moveToMemory(damagedReason(), held.get());
    }
}

void HistoryRepository::withStatement(
    Role role, const SqlQuery& query, const std::function<void(SqlStatement&)>& use)
{
    withConnection(role, [&](sqlite3* database) {
        SqlStatement statement(database, query);
        use(statement);
        return statement.foundDamage();
    });
}

void HistoryRepository::write(WriteStep step)
{
    // Issued and queued under one lock, so the queue's order is the order of issue.
    const std::lock_guard lock(m_ledger);
    const quint64 order = ++m_lastIssued;
    m_pendingWrites.insert(order);
    m_writing->post([this, order, step = std::move(step)](bool closing) {
        if (step(closing))
            return true;
        {
            const std::lock_guard done(m_ledger);
            m_pendingWrites.erase(order);
        }
        m_writeDone.notify_all();
        return false;
    });
}

void HistoryRepository::write(SqlQuery query, std::function<void()> written)
{
    write([this, query = std::move(query), written = std::move(written)](bool) {
        std::optional<QString> failure;
        withStatement(Role::writing, query, [&](SqlStatement& statement) {
            failure = statement.run() ? std::nullopt : std::optional(statement.resultText());
        });
        if (failure)
            tellWriteFailed(*failure);
        else
            announce(written);
        return false;
    });
}

void HistoryRepository::tellWriteFailed(const QString& reason)
{
    {
        const std::lock_guard lock(m_state);
        // Without any database the warning already says that nothing is recorded.
        if (!m_writer)
            return;
        m_storageWarning = QStringLiteral("The run history “%1” could not be written: %2. Backups still run, "
                                          "but what they do is not recorded.")
                               .arg(QDir::toNativeSeparators(m_path), reason);
    }
    announce([this] { Q_EMIT storageWarningChanged(); });
}

void HistoryRepository::deleteInBatches(
    std::function<SqlQuery(qint64 lastRow, int limit)> batch, bool mayStopAtClose, std::function<void()> done)
{
    // The rows there are when the deletion starts, and no later one, even should a run be written between
    // two of its transactions.
    struct Start {
        std::weak_ptr<HistoryConnection> connection;
        qint64 lastRow = 0;
    };
    write([this, batch = std::move(batch), mayStopAtClose, done = std::move(done),
              start = std::optional<Start>()](bool closing) mutable {
        if ((closing || m_draining) && mayStopAtClose)
            return false; // the next launch deletes the rest
        const std::shared_ptr<HistoryConnection> held = connection(Role::writing);
        // A history that moved to memory meanwhile holds only rows written after the deletion was asked.
        if (!held || (start && start->connection.lock() != held))
            return false;
        bool more = false;
        bool damaged = false;
        {
            const std::lock_guard lock(held->lock);
            if (!start) {
                SqlStatement last(held->handle, HistorySql::lastRowNumber());
                start = Start { held, last.next() ? last.int64(0) : 0 };
                damaged = last.foundDamage();
            }
            QElapsedTimer transaction;
            transaction.start();
            sqlite3_exec(held->handle, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            while (!damaged) {
                SqlStatement deleting(held->handle, batch(start->lastRow, batchRows));
                deleting.run();
                damaged = deleting.foundDamage();
                more = deleting.succeeded() && sqlite3_changes(held->handle) == batchRows;
                if (!more || transaction.nsecsElapsed() >= transactionBudgetNs)
                    break;
            }
            // Nothing more goes into a file found damaged.
            sqlite3_exec(held->handle, damaged ? "ROLLBACK" : "COMMIT", nullptr, nullptr, nullptr);
        }
        if (damaged) {
            moveToMemory(damagedReason(), held.get());
            return false;
        }
        if (more)
            return true;
        announce(done);
        return false;
    });
}

void HistoryRepository::read(std::function<void()> task)
{
    quint64 after = 0;
    {
        const std::lock_guard lock(m_ledger);
        after = m_lastIssued;
    }
    m_reading->post([this, after, task = std::move(task)](bool) {
        {
            std::unique_lock lock(m_ledger);
            m_writeDone.wait(
                lock, [&] { return m_pendingWrites.empty() || *m_pendingWrites.begin() > after; });
        }
        task();
        return false;
    });
}

// The object may go before the writing thread gets here only once that thread has ended, so a queued call
// on it is either delivered or dropped with it.
void HistoryRepository::announce(std::function<void()> emitSignal)
{
    QMetaObject::invokeMethod(this, std::move(emitSignal), Qt::QueuedConnection);
}

QFuture<void> HistoryRepository::drain()
{
    m_draining = true;
    auto promise = std::make_shared<QPromise<void>>();
    promise->start();
    // A read runs after the reads before it, once the writes made before it are done.
    read([promise] { promise->finish(); });
    return promise->future();
}

QString HistoryRepository::storageWarning() const
{
    const std::lock_guard lock(m_state);
    return m_storageWarning;
}

void HistoryRepository::begin(const BackupRunRecord& record)
{
    write(HistorySql::begin(record), [this, id = record.id] { Q_EMIT rowAdded(id); });
}

void HistoryRepository::finish(const BackupRunRecord& record)
{
    write(HistorySql::finish(record), [this, id = record.id] { Q_EMIT rowChanged(id); });
}

void HistoryRepository::seedIfEmpty(std::vector<BackupRunRecord> records)
{
    write([this, records = std::move(records)](bool) {
        bool seeded = false;
        withConnection(Role::writing, [&](sqlite3* database) {
            SqlStatement any(database, HistorySql::hasRows());
            if (!any.next() || any.int64(0) != 0)
                return any.foundDamage();
            sqlite3_exec(database, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            bool damaged = false;
            for (const BackupRunRecord& record : records) {
                SqlStatement inserting(database, HistorySql::begin(record));
                inserting.run();
                damaged = damaged || inserting.foundDamage();
            }
            sqlite3_exec(database, damaged ? "ROLLBACK" : "COMMIT", nullptr, nullptr, nullptr);
            seeded = !damaged;
            return damaged;
        });
        if (seeded) {
            for (const BackupRunRecord& record : records)
                announce([this, id = record.id] { Q_EMIT rowAdded(id); });
        }
        return false;
    });
}

void HistoryRepository::deleteRun(const QUuid& id)
{
    write(HistorySql::deleteRun(id), [this, id] { Q_EMIT rowRemoved(id); });
}

void HistoryRepository::clear()
{
    deleteInBatches(&HistorySql::clearBatch, false, [this] { Q_EMIT rowsRemoved(); });
}

void HistoryRepository::deleteOlderThan(int days)
{
    if (days <= 0)
        return;
    const double cutoff = toEpochSeconds(m_clock.now()) - double(days) * 86'400.0;
    deleteInBatches([cutoff](qint64 lastRow,
                        int limit) { return HistorySql::deleteStartedBeforeBatch(cutoff, lastRow, limit); },
        true, [this] { Q_EMIT rowsRemoved(); });
}

QFuture<std::vector<BackupRunRecord>> HistoryRepository::fetchAsync(
    int limit, int offset, QString query, std::optional<RunResult> result, std::optional<QUuid> jobID)
{
    auto promise = std::make_shared<QPromise<std::vector<BackupRunRecord>>>();
    promise->start();
    read([this, promise, limit, offset, query, result, jobID] {
        promise->addResult(records(limit, offset, query, result, jobID));
        promise->finish();
    });
    return promise->future();
}

std::vector<BackupRunRecord> HistoryRepository::records(
    int limit, int offset, const QString& query, std::optional<RunResult> result, std::optional<QUuid> jobID)
{
    std::vector<BackupRunRecord> records;
    withStatement(
        Role::reading, HistorySql::fetch(limit, offset, query, result, jobID), [&](SqlStatement& statement) {
            records.clear();
            records.reserve(std::clamp(limit, 0, exportLimit));
            while (statement.next()) {
                if (auto r = record(statement))
                    records.push_back(std::move(*r));
            }
        });
    return records;
}

QFuture<HistoryStats> HistoryRepository::statsAsync()
{
    auto promise = std::make_shared<QPromise<HistoryStats>>();
    promise->start();
    read([this, promise] {
        HistoryStats stats;
        withStatement(Role::reading, HistorySql::stats(), [&](SqlStatement& statement) {
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
        promise->addResult(stats);
        promise->finish();
    });
    return promise->future();
}

std::vector<BackupRunRecord> HistoryRepository::fetch(
    int limit, int offset, const QString& query, std::optional<RunResult> result, std::optional<QUuid> jobID)
{
    return fetchAsync(limit, offset, query, result, jobID).result();
}

HistoryStats HistoryRepository::stats()
{
    return statsAsync().result();
}

QString HistoryRepository::exportCSV()
{
    return HistoryCsv::format(fetch(exportLimit, 0));
}

QFuture<QString> HistoryRepository::exportCSVFileAsync()
{
    auto promise = std::make_shared<QPromise<QString>>();
    promise->start();
    const QString name = QStringLiteral("Marrowvale-history-%1.csv")
                             .arg(m_clock.now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd-HHmm")));
    read([this, promise, name] {
        try {
            AppPaths::ensureDirectories();
            const QString path = QDir(AppPaths::supportDirectory()).filePath(name);
            AtomicFile::write(path, HistoryCsv::format(records(exportLimit, 0, {}, {}, {})).toUtf8());
            promise->addResult(path);
        } catch (const FileSystemError&) {
            promise->setException(std::current_exception());
        }
        promise->finish();
    });
    return promise->future();
}

QString HistoryRepository::exportCSVFile()
{
    return exportCSVFileAsync().result();
}

} // namespace mv
