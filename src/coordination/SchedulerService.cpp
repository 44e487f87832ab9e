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
            const auto storeNext = [&] {
                const std::optional<QDateTime> next = schedule.nextRun(now, zone);
                m_store.updateDestination(
                    job.id, destination.id, [&](BackupDestination& stored) { stored.nextRun = next; });
            };
            if (!destination.nextRun) {
                storeNext();
                changed = true;
                continue;
            }
            const QDateTime due = *destination.nextRun;
            if (due > now)
                continue;
            const qint64 lateness = due.secsTo(now);
            // The next slot after now, not after the missed time: a long absence gives one catch-up at most.
            storeNext();
            if (lateness > skippedAfterSeconds) {
                if (onMissed)
                    onMissed(job, destination, due);
            } else {
                if (lateness > missedAfterSeconds && onMissed)
                    onMissed(job, destination, due);
                if (onRunDue)
                    onRunDue(job.id, destination.id, RunTrigger::schedule);
            }
            changed = true;
        }
    }
    if (!changed)
        return;
    m_store.scheduleSave();
    if (onStateChanged)
        onStateChanged();
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
