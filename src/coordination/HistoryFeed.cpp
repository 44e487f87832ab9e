#include "coordination/HistoryFeed.h"

#include "model/FileSystemError.h"
#include "model/HistoryRepository.h"
#include "platform/FileManager.h"
#include "platform/WhenFinished.h"

namespace mv {

HistoryFeed::HistoryFeed(HistoryRepository& history, FileManager& fileManager, QObject* parent)
    : QObject(parent)
    , m_history(history)
    , m_fileManager(fileManager)
{
}

// The history answers on its own thread, in the order asked: the recent runs come after the totals.
void HistoryFeed::refresh()
{
    const quint64 generation = ++m_generation;
    QFuture<HistoryStats> stats = m_history.statsAsync();
    QFuture<std::vector<BackupRunRecord>> runs = m_history.fetchAsync(recentRunLimit, 0);
    whenFinished(runs, this, [this, generation, stats](QFuture<std::vector<BackupRunRecord>> loaded) {
        // A slower, older load never replaces a newer one.
        if (generation != m_generation)
            return;
        m_stats = stats.result();
        m_recentRuns = loaded.result();
        Q_EMIT changed();
    });
}

QFuture<std::vector<BackupRunRecord>> HistoryFeed::search(int limit, const Filter& filter)
{
    return m_history.fetchAsync(limit, 0, filter.query, filter.result, filter.jobID);
}

void HistoryFeed::deleteRun(const QUuid& id)
{
    m_history.deleteRun(id);
    refresh();
}

void HistoryFeed::clear()
{
    m_history.clear();
    refresh();
}

// The rows are read and written out on the history's own thread; the file is shown once it is there.
void HistoryFeed::exportHistory()
{
    whenFinished(m_history.exportCSVFileAsync(), this, [this](QFuture<QString> written) {
        try {
            m_fileManager.reveal(written.result());
        } catch (const FileSystemError& error) {
            Q_EMIT failed(QStringLiteral("The history could not be exported: ") + error.description());
        }
    });
}

} // namespace mv
