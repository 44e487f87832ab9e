#pragma once

#include "model/BackupRunRecord.h"
#include "model/Enumerations.h"
#include "model/HistoryStats.h"

#include <QFuture>
#include <QObject>
#include <QUuid>

#include <optional>
#include <vector>

namespace mv {

class FileManager;
class HistoryRepository;

// The history as the views read it: the totals and the newest runs, loaded off the main thread and kept as
// the one copy every view shows, and the filtered reads of the Activity list. Every change made through it
// reloads the copy; changed() says a new one is in. Lives on the main thread.
class HistoryFeed : public QObject {
    Q_OBJECT
public:
    static constexpr int recentRunLimit = 120;

    struct Filter {
        QString query;
        std::optional<RunResult> result;
        std::optional<QUuid> jobID;
    };

    HistoryFeed(HistoryRepository& history, FileManager& fileManager, QObject* parent = nullptr);

    const HistoryStats& stats() const { return m_stats; }
    // Newest first, at most recentRunLimit.
    const std::vector<BackupRunRecord>& recentRuns() const { return m_recentRuns; }

    // Reloads the totals and the newest runs; changed() when they arrive. Only the newest load is applied.
    void refresh();
    // The newest `limit` runs that match `filter`, read on the history's thread.
    QFuture<std::vector<BackupRunRecord>> search(int limit, const Filter& filter);

    void deleteRun(const QUuid& id);
    void clear();
    // Writes the export into the support folder and shows it in the file manager; a failure is told with
    // failed().
    void exportHistory();

Q_SIGNALS:
    void changed();
    void failed(const QString& message);

private:
    HistoryRepository& m_history;
    FileManager& m_fileManager;
    HistoryStats m_stats;
    std::vector<BackupRunRecord> m_recentRuns;
    quint64 m_generation = 0;
};

} // namespace mv
