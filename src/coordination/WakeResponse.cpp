#include "coordination/WakeResponse.h"

#include "coordination/DestinationMonitor.h"
#include "coordination/SchedulerService.h"
#include "platform/WakeWatcher.h"

#include <QPointer>

namespace mv {

QMetaObject::Connection respondToWake(
    WakeWatcher& watcher, SchedulerService& scheduler, DestinationMonitor& monitor, Clock& clock)
{
    return QObject::connect(&watcher, &WakeWatcher::woke, &scheduler,
        [&scheduler, &clock, monitor = QPointer<DestinationMonitor>(&monitor)] {
            scheduler.tick(clock.now());
            if (monitor)
                monitor->refresh();
        });
}

} // namespace mv
