#include "model/HistoryConnection.h"

#include "model/SqlStatement.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace mv {

namespace {

// Each connection is used under its own lock, so SQLite's per-call mutex would only add a lock and an
// unlock to each column read (a tenth of a large fetch).
constexpr int openFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
constexpr int busyTimeoutMs = 2000;

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

} // namespace

std::shared_ptr<HistoryConnection> HistoryConnection::openFile(const QString& path, QString& reason)
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
        sqlite3_busy_timeout(database, busyTimeoutMs);
        // Reading the schema checks the header and the first page and writes nothing.
        status = sqlite3_exec(database, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        // A database another process holds locked is still ours to use once it lets go.
        if (status == SQLITE_OK || status == SQLITE_BUSY)
            return std::make_shared<HistoryConnection>(database);
    }
    reason = QString::fromUtf8(database ? sqlite3_errmsg(database) : sqlite3_errstr(status));
    sqlite3_close(database);
    return nullptr;
}

std::shared_ptr<HistoryConnection> HistoryConnection::openReader(const QString& path)
{
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &database,
            SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        sqlite3_close(database);
        return nullptr;
    }
    sqlite3_busy_timeout(database, busyTimeoutMs);
    return std::make_shared<HistoryConnection>(database);
}

std::shared_ptr<HistoryConnection> HistoryConnection::openInMemory()
{
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(":memory:", &database, openFlags, nullptr) != SQLITE_OK) {
        sqlite3_close(database);
        return nullptr;
    }
    sqlite3_busy_timeout(database, busyTimeoutMs);
    return std::make_shared<HistoryConnection>(database);
}

HistoryConnection::HistoryConnection(sqlite3* handle)
    : handle(handle)
{
}

HistoryConnection::~HistoryConnection()
{
    sqlite3_close(handle);
}

bool HistoryConnection::passesIntegrityCheck()
{
    // The quick check reads every page but never compares an index with its table, and an index missing a
    // row hides that row from every page of the views. One problem is enough to know.
    const std::lock_guard guard(lock);
    SqlStatement check(handle, { "PRAGMA integrity_check(1)", {} });
    if (check.next())
        return check.utf8(0) == "ok";
    return !check.foundDamage();
}

} // namespace mv
