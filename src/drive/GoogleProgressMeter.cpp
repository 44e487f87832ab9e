#include "drive/GoogleProgressMeter.h"

namespace mv {

namespace {
constexpr double shortestInterval = 0.05; // seconds
constexpr double newWeight = 0.3;
} // namespace

GoogleProgressMeter::GoogleProgressMeter(Clock& clock)
    : m_clock(clock)
    , m_lastTime(clock.now())
{
}

double GoogleProgressMeter::speed(qint64 bytes)
{
    const QMutexLocker locker(&m_lock);
    const QDateTime now = m_clock.now();
    const qint64 growth = bytes - m_lastBytes;
    const double interval = double(m_lastTime.msecsTo(now)) / 1000.0;
    if (growth < 1) {
        m_lastTime = now;
    } else if (interval > shortestInterval) {
        const double rate = double(growth) / interval;
        m_speed = m_speed > 0 ? newWeight * rate + (1 - newWeight) * m_speed : rate;
        m_lastTime = now;
        m_lastBytes = bytes;
    }
    return m_speed;
}

} // namespace mv
