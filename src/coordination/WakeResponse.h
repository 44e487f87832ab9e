#pragma once

#include <QMetaObject>

namespace mv {

class Clock;
class DestinationMonitor;
class SchedulerService;
class WakeWatcher;

// On every wake the scheduler ticks first, so runs that came due while asleep are asked for, and then the
// monitor refreshes, so drives that came back are reported after those runs. The connection lives as long
// as the three objects do.
QMetaObject::Connection respondToWake(
    WakeWatcher& watcher, SchedulerService& scheduler, DestinationMonitor& monitor, Clock& clock);

} // namespace mv
