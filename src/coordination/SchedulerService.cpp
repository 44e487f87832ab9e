#include "coordination/SchedulerService.h"

#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"

#include <QPointer>
#include <QTimeZone>

namespace mv {

namespace {

using namespace std::chrono_literals;

constexpr auto tickInterval = 20s;

bool isScheduled(ScheduleKind kind)
{
    return kind != ScheduleKind::manual && kind != ScheduleKind::onMount;
}

} // namespace

SchedulerService::SchedulerService(ConfigurationStore& store, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(clock)
{
}

void SchedulerService::start()
{
    armTimer();
    tick(m_clock.now());
}

void SchedulerService::armTimer()
{
    if (m_timer)
        m_timer->cancel();
    // Re-armed on every firing; the alarm dies with the scheduler, so a late firing finds nothing to do.
    m_timer = m_clock.after(tickInterval, [self = QPointer<SchedulerService>(this)] {
        if (!self)
            return;
        self->armTimer();
        self->tick(self->m_clock.now());
    });
}

void SchedulerService::tick(const QDateTime& now)
{
    // A copy: the callbacks may edit the store (enqueueing a run changes lastResult, a user may delete a job)
    // while this pass goes on over the jobs as they were.
    const QList<BackupJob> jobs = m_store.config().jobs;
    if (jobs.isEmpty())
        return;
    const QTimeZone zone = QTimeZone::systemTimeZone();
    // Next runs are stored together, and before any callback that follows them, so that a callback sees its
    // own destination's next run stored and what it changes itself is not written over.
    QHash<DestinationRef, std::optional<QDateTime>> nextRuns;
    const auto storePending = [&] {
        if (!nextRuns.isEmpty())
            storeNextRuns(std::exchange(nextRuns, {}));
    };
    bool changed = false;
    for (const BackupJob& job : jobs) {
        if (!job.isEnabled)
            continue;
        for (const BackupDestination& destination : job.destinations) {
            if (!destination.isEnabled)
                continue;
            const BackupSchedule& schedule = effectiveSchedule(job, destination);
            if (!isScheduled(schedule.kind))
                continue;
            if (destination.nextRun && *destination.nextRun > now)
                continue;
            // The next slot after now, not after the missed time: a long absence gives one catch-up at most.
            nextRuns.insert({ job.id, destination.id }, schedule.nextRun(now, zone));
            changed = true;
            if (!destination.nextRun)
                continue;
            const QDateTime due = *destination.nextRun;
            const qint64 lateness = due.secsTo(now);
            storePending();
            if (lateness > skippedAfterSeconds) {
                if (onMissed)
                    onMissed(job, destination, due);
            } else {
                if (lateness > missedAfterSeconds && onMissed)
                    onMissed(job, destination, due);
                if (onRunDue)
                    onRunDue(job.id, destination.id, RunTrigger::schedule);
            }
        }
    }
    if (!changed)
        return;
    storePending();
    m_store.scheduleSave();
    if (onStateChanged)
        onStateChanged();
}

// One edit for all of a tick's destinations: the views hear of it once, however many jobs there are.
void SchedulerService::storeNextRuns(const QHash<DestinationRef, std::optional<QDateTime>>& nextRuns)
{
    AppConfiguration config = m_store.config();
    for (BackupJob& job : config.jobs) {
        for (BackupDestination& destination : job.destinations) {
            const auto next = nextRuns.constFind({ job.id, destination.id });
            if (next != nextRuns.constEnd())
                destination.nextRun = *next;
        }
    }
    config.updatedAt = m_clock.now().toUTC();
    m_store.setConfig(config);
}

void SchedulerService::reschedule(const QUuid& jobID, const QUuid& destinationID, const QDateTime& after)
{
    const std::optional<BackupJob> job = m_store.job(jobID);
    if (!job)
        return;
    for (const BackupDestination& destination : job->destinations) {
        if (destination.id != destinationID)
            continue;
        const std::optional<QDateTime> next
            = effectiveSchedule(*job, destination).nextRun(after, QTimeZone::systemTimeZone());
        m_store.updateDestination(
            jobID, destinationID, [&](BackupDestination& stored) { stored.nextRun = next; });
        return;
    }
}

} // namespace mv
