#include "ui/models/shared/StatusBoard.h"

#include "coordination/DestinationMonitor.h"
#include "coordination/HistoryFeed.h"
#include "coordination/StatusDerivations.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/models/shared/ActiveRunsModel.h"

namespace mv {

StatusBoard::StatusBoard(ConfigurationStore& store, ActiveRunsModel& runs, DestinationMonitor& monitor,
    GoogleAuthManager& googleAuth, GoogleCredentialStore& googleCredentials, HistoryFeed& history,
    Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_runs(runs)
    , m_monitor(monitor)
    , m_googleAuth(googleAuth)
    , m_googleCredentials(googleCredentials)
    , m_history(history)
    , m_clock(clock)
    , m_update(this, [this] { update(); })
    , m_updateFigures(this, [this] { updateFigures(); })
{
    const auto request = [this] { m_update.request(); };
    connect(&m_store, &ConfigurationStore::changed, this, request);
    connect(&m_runs, &ActiveRunsModel::runAdded, this, request);
    connect(&m_runs, &ActiveRunsModel::runStateChanged, this, request);
    // A run's figures move only the aggregate's share and the bytes moved: the rest waits for a change.
    connect(&m_runs, &ActiveRunsModel::runFiguresChanged, this, [this] { m_updateFigures.request(); });
    connect(&m_runs, &ActiveRunsModel::runRemoved, this, request);
    connect(&m_monitor, &DestinationMonitor::changed, this, request);
    connect(&m_googleAuth, &GoogleAuthManager::changed, this, request);
    connect(&m_history, &HistoryFeed::changed, this, request);
    m_minute.setInterval(std::chrono::seconds(30));
    connect(&m_minute, &QTimer::timeout, this, request);
    m_minute.start();
    update();
}

DestinationDisplayStatus StatusBoard::jobStatus(const QUuid& jobID) const
{
    return m_jobStatuses.value(jobID);
}

DestinationDisplayStatus StatusBoard::destinationStatus(const QUuid& jobID, const QUuid& destinationID) const
{
    return m_destinationStatuses.value({ jobID, destinationID });
}

const QHash<DestinationRef, Availability>& StatusBoard::availability() const
{
    return m_monitor.availability();
}

void StatusBoard::update()
{
    const QList<ActiveRun> runs = m_runs.rows();
    const QList<ActiveRun> live = m_runs.liveRuns();
    const QList<BackupJob>& jobs = m_store.config().jobs;
    const StatusDerivations derive(
        { jobs, runs, live, m_monitor.availability(), googleAccount(), m_history.stats(), m_clock.now() });

    QHash<QUuid, DestinationDisplayStatus> jobStatuses;
    QHash<std::pair<QUuid, QUuid>, DestinationDisplayStatus> destinationStatuses;
    for (const BackupJob& job : jobs) {
        jobStatuses.insert(job.id, derive.jobStatus(job));
        for (const BackupDestination& destination : job.destinations)
            destinationStatuses.insert(
                { job.id, destination.id }, derive.destinationStatus(job, destination));
    }
    const QList<JobDestination> destinations = derive.allDestinations();
    const Summary summary { derive.activeJobCount(), derive.enabledJobCount(), int(destinations.size()),
        derive.lastSuccessfulBackup(), derive.totalTransferred() };
    const AggregateStatus aggregate = derive.aggregateStatus();

    const QHash<QUuid, DestinationDisplayStatus> oldJobs = std::exchange(m_jobStatuses, jobStatuses);
    const QHash<std::pair<QUuid, QUuid>, DestinationDisplayStatus> oldDestinations
        = std::exchange(m_destinationStatuses, destinationStatuses);
    const bool destinationsChanged = destinations != m_destinations;
    m_destinations = destinations;
    if (destinationsChanged)
        Q_EMIT this->destinationsChanged();
    for (auto it = m_jobStatuses.cbegin(); it != m_jobStatuses.cend(); ++it) {
        const auto old = oldJobs.constFind(it.key());
        if (old == oldJobs.cend() || *old != *it)
            Q_EMIT jobStatusChanged(it.key());
    }
    for (auto it = m_destinationStatuses.cbegin(); it != m_destinationStatuses.cend(); ++it) {
        const auto old = oldDestinations.constFind(it.key());
        if (old == oldDestinations.cend() || *old != *it)
            Q_EMIT destinationStatusChanged(it.key().first, it.key().second);
    }
    takeFigures(aggregate, summary);
}

void StatusBoard::updateFigures()
{
    const QList<ActiveRun> runs = m_runs.rows();
    const QList<ActiveRun> live = m_runs.liveRuns();
    const StatusDerivations derive({ m_store.config().jobs, runs, live, m_monitor.availability(),
        googleAccount(), m_history.stats(), m_clock.now() });
    Summary summary = m_summary;
    summary.totalTransferred = derive.totalTransferred();
    takeFigures(derive.aggregateStatus(), summary);
}

void StatusBoard::takeFigures(const AggregateStatus& aggregate, const Summary& summary)
{
    const bool summaryChanged = std::exchange(m_summary, summary) != summary;
    const bool aggregateChanged = std::exchange(m_aggregate, aggregate) != aggregate;
    if (summaryChanged)
        Q_EMIT this->summaryChanged();
    if (aggregateChanged)
        Q_EMIT this->aggregateChanged();
}

GoogleAccountState StatusBoard::googleAccount() const
{
    return { m_googleAuth.isConfigured(),
        m_googleAuth.account().has_value()
            && m_googleCredentials.cachedValue(QString(GoogleCredentialStore::refreshToken)).has_value() };
}

} // namespace mv
