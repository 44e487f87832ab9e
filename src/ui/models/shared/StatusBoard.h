#pragma once

#include "coordination/Availability.h"
#include "coordination/DestinationDisplayStatus.h"
#include "coordination/DestinationRef.h"
#include "coordination/JobDestination.h"
#include "model/AggregateStatus.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <optional>

namespace mv {

class ActiveRunsModel;
class Clock;
class ConfigurationStore;
class DestinationMonitor;
class GoogleAuthManager;
class GoogleCredentialStore;
class HistoryFeed;
struct GoogleAccountState;

// Every status the views show, computed once per change of what it derives from (the configuration, the run
// list, the monitor, the Google account, the history's totals, and the minute for relative times) and kept
// until the next. Each change is told for what it concerns: the aggregate, the figures of the summary, one
// job, one destination. Lives on the main thread.
class StatusBoard : public QObject {
    Q_OBJECT
public:
    struct Summary {
        int activeJobCount = 0;
        int enabledJobCount = 0;
        int destinationCount = 0;
        std::optional<QDateTime> lastSuccessfulBackup;
        qint64 totalTransferred = 0; // the history's bytes and what the active runs moved so far

        bool operator==(const Summary&) const = default;
    };

    StatusBoard(ConfigurationStore& store, ActiveRunsModel& runs, DestinationMonitor& monitor,
        GoogleAuthManager& googleAuth, GoogleCredentialStore& googleCredentials, HistoryFeed& history,
        Clock& clock, QObject* parent = nullptr);

    const AggregateStatus& aggregate() const { return m_aggregate; }
    const Summary& summary() const { return m_summary; }
    // A job or destination not in the configuration reads as the empty status.
    DestinationDisplayStatus jobStatus(const QUuid& jobID) const;
    DestinationDisplayStatus destinationStatus(const QUuid& jobID, const QUuid& destinationID) const;
    // What the monitor last judged of each destination; changes come with destinationStatusChanged().
    const QHash<DestinationRef, Availability>& availability() const;
    // Every destination of every job, in the configuration's order.
    const QList<JobDestination>& allDestinations() const { return m_destinations; }

    // Computes the statuses now, telling what changed; otherwise it happens at the next turn of the event
    // loop.
    void update();

Q_SIGNALS:
    void aggregateChanged();
    void summaryChanged();
    void jobStatusChanged(const QUuid& jobID);
    void destinationStatusChanged(const QUuid& jobID, const QUuid& destinationID);
    // Destinations were added, removed, renamed or reordered.
    void destinationsChanged();

private:
    // Only what a run's figures move: the aggregate's share and the bytes of the summary.
    void updateFigures();
    void takeFigures(const AggregateStatus& aggregate, const Summary& summary);
    GoogleAccountState googleAccount() const;

    ConfigurationStore& m_store;
    ActiveRunsModel& m_runs;
    DestinationMonitor& m_monitor;
    GoogleAuthManager& m_googleAuth;
    GoogleCredentialStore& m_googleCredentials;
    HistoryFeed& m_history;
    Clock& m_clock;
    CoalescedCall m_update;
    CoalescedCall m_updateFigures;
    QTimer m_minute; // relative times ("Last copied 5 minutes ago") age without any other change

    AggregateStatus m_aggregate;
    Summary m_summary;
    QList<JobDestination> m_destinations;
    QHash<QUuid, DestinationDisplayStatus> m_jobStatuses;
    QHash<std::pair<QUuid, QUuid>, DestinationDisplayStatus> m_destinationStatuses;
};

} // namespace mv
