#pragma once

#include <QString>

namespace mv {

// The text log of one Drive run: "google-<UUID>.log" in the Logs folder, one redacted line per append and
// nothing else. A line is written only while it still fits under the cap; a line that does not is dropped,
// and a later, shorter one that fits is still written. A log that cannot be made never stops the run: its
// lines are dropped and finish() still names the path. Not thread-safe: the run's own task writes it.
class GoogleRunLog {
public:
    static constexpr qint64 limit = 2'000'000; // bytes

    GoogleRunLog();
    ~GoogleRunLog();
    GoogleRunLog(const GoogleRunLog&) = delete;
    GoogleRunLog& operator=(const GoogleRunLog&) = delete;

    // Writes the line, passed without its line feed, redacted: secrets masked, and the session identifier of
    // an upload URL too, since such a URL lets anyone holding it write into the user's Drive. Control
    // characters (a line feed in a file name) are written as rsync writes them, "\#012", so that no name
    // can make a line of its own.
    void append(const QString& line);
    // Closes the file and answers its path; later appends write nothing.
    QString finish();

    // Bytes accepted so far, line feeds included.
    qint64 written() const { return m_written; }

private:
    QString m_path;
    int m_fd = -1;
    qint64 m_written = 0;
};

} // namespace mv
