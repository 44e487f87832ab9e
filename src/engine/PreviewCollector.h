#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

namespace mv {

// The paths one dry run reports, filled from the run controller's reader threads: the first 200 are kept
// and every one is counted, so a huge report never grows memory while its count stays exact.
class PreviewCollector {
public:
    static constexpr qsizetype keptLimit = 200;

    // Counts `path` and keeps it while fewer than 200 are kept.
    void append(const QString& path);

    QStringList deletions() const;
    qint64 total() const;

private:
    mutable QMutex m_lock;
    QStringList m_deletions;
    qint64 m_total = 0;
};

} // namespace mv
