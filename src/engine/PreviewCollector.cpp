#include "engine/PreviewCollector.h"

#include <QMutexLocker>

namespace mv {

void PreviewCollector::append(const QString& path)
{
    const QMutexLocker locker(&m_lock);
    ++m_total;
    if (m_deletions.size() < keptLimit)
        m_deletions.append(path);
}

QStringList PreviewCollector::deletions() const
{
    const QMutexLocker locker(&m_lock);
    return m_deletions;
}

qint64 PreviewCollector::total() const
{
    const QMutexLocker locker(&m_lock);
    return m_total;
}

} // namespace mv
