#pragma once

#include "platform/SystemLog.h"

#include <QMutex>
#include <QStringList>

namespace mv::test {

// A system log that keeps the lines written to it.
class RecordingSystemLog final : public SystemLog {
public:
    void write(const QString& line) override
    {
        const QMutexLocker lock(&m_mutex);
        m_lines << line;
    }
    QStringList lines() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_lines;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

} // namespace mv::test
