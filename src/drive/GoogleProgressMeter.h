#pragma once

#include "platform/Clock.h"

#include <QDateTime>
#include <QMutex>

namespace mv {

// Turns a run's growing count of uploaded bytes into a smoothed speed. Samples closer than 0.05 s to the
// last accepted one are counted in the next; the first accepted sample gives the raw rate, later ones
// move the speed by 30 % toward the momentary rate. The speed never decays by itself. Thread-safe.
class GoogleProgressMeter {
public:
    explicit GoogleProgressMeter(Clock& clock = Clock::system());

    // The smoothed speed in bytes per second, given the bytes uploaded so far in this run.
    double speed(qint64 bytes);

private:
    Clock& m_clock;
    QMutex m_lock;
    QDateTime m_lastTime;
    qint64 m_lastBytes = 0;
    double m_speed = 0;
};

} // namespace mv
