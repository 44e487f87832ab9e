#pragma once

#include <QString>

#include <memory>
#include <mutex>

struct sqlite3;

namespace mv {

// One SQLite connection to the run history, closed when the last user lets go of it. It is used by one
// thread at a time: whoever uses it holds `lock`.
class HistoryConnection {
public:
    // The history file at `path` for writing, when it holds a usable database (or nothing yet). A file that
    // is not a database, or whose first page is damaged, is refused before anything could be written to
    // it; `reason` then says why.
    static std::shared_ptr<HistoryConnection> openFile(const QString& path, QString& reason);
    // A second connection to the file that only reads, so the views' reads never wait for a write.
    static std::shared_ptr<HistoryConnection> openReader(const QString& path);
    static std::shared_ptr<HistoryConnection> openInMemory();

    explicit HistoryConnection(sqlite3* handle);
    ~HistoryConnection();
    HistoryConnection(const HistoryConnection&) = delete;
    HistoryConnection& operator=(const HistoryConnection&) = delete;

    // Whether the whole file reads as SQLite wrote it, every index against its table included. A file
    // another process holds locked cannot be checked now and counts as sound; anything wrong then shows in
    // the statement that finds it.
    bool passesIntegrityCheck();

    sqlite3* const handle;
    std::mutex lock;
};

} // namespace mv
