#pragma once

#include <QString>

namespace mv {

// The log of one rsync run: every output line, redacted, up to a cap in bytes. The file is made afresh
// and owner-only, never through a symbolic link; when it cannot be made, lines are dropped and the run goes
// on. Not thread-safe: the controller serialises appends.
class RunLogSink {
public:
    explicit RunLogSink(const QString& path, qint64 limit);
    ~RunLogSink();
    RunLogSink(const RunLogSink&) = delete;
    RunLogSink& operator=(const RunLogSink&) = delete;

    // Writes the redacted line and a line feed, unless that would pass the cap: then this line and every
    // later one are dropped and the log counts as truncated.
    void append(const QString& line);

    struct Result {
        QString path;
        bool truncated = false;
    };
    // Closes the file.
    Result finish();

private:
    void flush();

    QString m_path;
    qint64 m_limit;
    int m_fd = -1;
    qint64 m_written = 0;
    bool m_truncated = false;
    QByteArray m_pending;
};

} // namespace mv
