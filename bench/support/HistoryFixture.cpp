#include "support/HistoryFixture.h"

#include "model/BackupRunRecord.h"
#include "model/HistorySql.h"

#include <QFile>
#include <QUuid>

#include <random>
#include <sqlite3.h>

namespace mv::bench {

namespace {

void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
}

} // namespace

void populateHistory(const QString& path, int rows, const QDateTime& end, int spanDays)
{
    static const char* jobs[] = { "Photos", "Documents", "Projects", "Mail archive", "Music", "Videos",
        "Desktop", "Downloads", "Thesis", "Taxes", "Recipes", "Dotfiles" };
    static const char* destinations[][2] = { { "Backup Disk", "/media/ana/Backup Disk/" },
        { "NAS", "backup@nas.local:/srv/backup/" }, { "Cloud Drive", "Marrowvale/" } };
    static const char* errors[] = { "rsync exited with status 23: some files could not be transferred",
        "Permission denied (publickey).", "No space left on device",
        "The destination disk is not connected." };
    static const char* results[] = { "success", "failed", "cancelled", "interrupted", "missed", "skipped" };

    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    exec(db, "PRAGMA cache_size=-262144; BEGIN");
    sqlite3_stmt* insert = nullptr;
    // The repository's own INSERT, bound here directly so that a million rows go in one transaction.
    const QByteArray sql = HistorySql::begin(BackupRunRecord {}).sql;
    sqlite3_prepare_v2(db, sql.constData(), -1, &insert, nullptr);
    std::mt19937_64 random(42);
    const double last = double(end.toSecsSinceEpoch());
    const double step = spanDays * 86'400.0 / rows;
    for (int i = 0; i < rows; ++i) {
        const int job = int(random() % 12);
        const int destination = int(random() % 3);
        const int roll = int(random() % 100);
        const int result = roll < 85 ? 0 : roll < 93 ? 1 : roll < 96 ? 2 : roll < 98 ? 3 : roll < 99 ? 4 : 5;
        const double started = last - (rows - i) * step;
        const auto text = [&](int column, const QByteArray& value) {
            sqlite3_bind_text(insert, column, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        };
        text(1, QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper());
        text(2, QUuid(job, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1).toByteArray(QUuid::WithoutBraces).toUpper());
        text(3, jobs[job]);
        text(4, QByteArray("/home/ana/") + jobs[job]);
        text(5,
            QUuid(job * 3 + destination, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2)
                .toByteArray(QUuid::WithoutBraces)
                .toUpper());
        text(6, destinations[destination][0]);
        text(7, destinations[destination][1] + QByteArray(jobs[job]));
        text(8, "incremental");
        text(9, random() % 4 ? "schedule" : "manual");
        sqlite3_bind_double(insert, 10, started);
        sqlite3_bind_double(insert, 11, started + double(random() % 3600));
        text(12, results[result]);
        sqlite3_bind_int64(insert, 13, qint64(random() % 5'000'000'000));
        sqlite3_bind_int64(insert, 14, qint64(random() % 2000));
        sqlite3_bind_int64(insert, 15, qint64(random() % 200));
        sqlite3_bind_int64(insert, 16, qint64(random() % 20));
        if (result == 1)
            text(17, errors[random() % 4]);
        else
            sqlite3_bind_null(insert, 17);
        text(18,
            QByteArray("/home/ana/.local/share/Marrowvale/Logs/") + jobs[job] + "-" + QByteArray::number(i)
                + ".log");
        sqlite3_bind_int64(insert, 19, 0);
        if (sqlite3_step(insert) != SQLITE_DONE)
            qFatal("insert failed: %s", sqlite3_errmsg(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE);");
    sqlite3_close(db);
}

} // namespace mv::bench
