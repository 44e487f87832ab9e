#pragma once

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

namespace mv {

class Clock;
class SystemLog;

// What lets Drive backups pick up where they left off, keyed by file key (destination folder id, U+001F,
// relative path): the open upload session of each file, and the size, time and MD5 of each file known to be
// in Drive. Each table has its own JSON file (0600, session URLs are bearer capabilities); without a path
// both live in memory only. Thread-safe: one lock guards both tables for the whole of each call, file writes
// included. Never throws: save failures become one system-log line and the tables stay in memory.
class GoogleResumeStore {
public:
    struct SessionRecord {
        qint64 size = 0;
        std::optional<double> modified; // seconds since 1970
        QString url;
        double updated = 0; // seconds since 1970
    };
    struct FileRecord {
        qint64 size = 0;
        std::optional<double> modified;
        QString md5;
        double updated = 0;
    };

    static constexpr double sessionLifetime = 518400; // 6 days, in seconds
    static constexpr double recordLifetime = 3888000; // 45 days
    static constexpr int recordCap = 200000;
    static constexpr double recordSaveInterval = 10;

    // `recordPath` is the records file; the sessions file sits beside it with its extension replaced by
    // "sessions.json". An empty path keeps both tables in memory. Loads both files before returning.
    explicit GoogleResumeStore(const QString& recordPath, Clock& clock, SystemLog& log);
    explicit GoogleResumeStore(const QString& recordPath);

    // The saved session URL when the record still matches the file and is younger than 6 days; otherwise
    // the record is forgotten (and the sessions file rewritten) and nothing is returned.
    std::optional<QString> sessionURL(
        const QString& key, qint64 size, const std::optional<QDateTime>& modified);
    void storeSessionURL(
        const QString& url, const QString& key, qint64 size, const std::optional<QDateTime>& modified);
    // Rewrites the sessions file only when there was a session to forget.
    void removeSession(const QString& key);

    // The recorded digest when the record matches the file; a record that does not match is kept.
    std::optional<QString> md5(
        const QString& key, qint64 size, const std::optional<QDateTime>& modified) const;
    // An empty digest is ignored. Saves at most once every 10 s; flushRecords() saves the rest.
    void storeMD5(
        const QString& md5, const QString& key, qint64 size, const std::optional<QDateTime>& modified);
    void flushRecords();

    QString recordPath() const { return m_recordPath; }
    QString sessionPath() const { return m_sessionPath; }

private:
    void load();
    void pruneSessionsLocked();
    void pruneRecordsLocked();
    void saveSessionsLocked();
    void saveRecordsLocked();
    double nowSeconds() const;

    Clock* m_clock;
    SystemLog* m_log;
    QString m_recordPath;
    QString m_sessionPath;
    mutable QMutex m_lock;
    QHash<QString, SessionRecord> m_sessions;
    QHash<QString, FileRecord> m_records;
    bool m_recordsDirty = false;
    double m_lastRecordSave = 0;
};

} // namespace mv
