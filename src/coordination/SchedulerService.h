#pragma once

#include "coordination/DestinationRef.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/Enumerations.h"
#include "platform/Clock.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>

namespace mv {

class ConfigurationStore;

// Decides when a scheduled backup of a destination is due and tells its owner; it never runs anything
// itself. Every 20 seconds it walks the configuration, keeps each destination's stored nextRun up to date
// and reports due and missed runs. Lives on the main thread.
class SchedulerService : public QObject {
    Q_OBJECT
public:
    // Runs that come later than this are reported as missed before they run...
    static constexpr qint64 missedAfterSeconds = 300;
    // ...and later than this are only reported as missed, not run.
    static constexpr qint64 skippedAfterSeconds = 21'600;

    explicit SchedulerService(
        ConfigurationStore& store, Clock& clock = Clock::system(), QObject* parent = nullptr);

    // Ticks now and every 20 seconds from now on; a second call replaces the timer.
    void start();
    void tick(const QDateTime& now);
    // Stores the effective schedule's next slot after `after` as the destination's nextRun (none for manual
    // and on-mount schedules), whether or not the job or destination is enabled.
    void reschedule(const QUuid& jobID, const QUuid& destinationID, const QDateTime& after);

    // Asks the owner to start a run; the trigger is always `schedule`.
    std::function<void(const QUuid& jobID, const QUuid& destinationID, RunTrigger trigger)> onRunDue;
    // A scheduled time passed while nothing ran; the job and destination as they were when the tick began.
    std::function<void(const BackupJob& job, const BackupDestination& destination, const QDateTime& due)>
        onMissed;
    // After a tick that changed any destination.
    std::function<void()> onStateChanged;

private:
    void armTimer();
    void storeNextRuns(const QHash<DestinationRef, std::optional<QDateTime>>& nextRuns);

    ConfigurationStore& m_store;
    Clock& m_clock;
    std::shared_ptr<ClockAlarm> m_timer;
};

} // namespace mv
