#pragma once

#include "coordination/Availability.h"
#include "coordination/DestinationDisplayStatus.h"
#include "coordination/DestinationRef.h"
#include "coordination/JobDestination.h"
#include "model/ActiveRun.h"
#include "model/AggregateStatus.h"
#include "model/BackupJob.h"
#include "model/HistoryStats.h"

#include <QDateTime>
#include <QHash>
#include <QList>

#include <optional>

namespace mv {

// What the Google account contributes to a Drive destination's status.
struct GoogleAccountState {
    bool isConfigured = false; // an OAuth client is imported
    bool isSignedIn = false; // an account is shown and its refresh token is stored
};

// Every status the views show, computed anew from its sources at each read: the configuration's jobs, the
// coordinator's runs (finished ones are kept for 6 s) and active runs, the monitor's availability, the
// Google account and the history's totals. Holds references: make one for a read, never keep it.
class StatusDerivations {
public:
    struct Sources {
        const QList<BackupJob>& jobs;
        const QList<ActiveRun>& runs;
        const QList<ActiveRun>& activeRuns; // oldest start first
        const QHash<DestinationRef, Availability>& availability;
        GoogleAccountState google;
        const HistoryStats& historyStats;
        QDateTime now;
    };

    explicit StatusDerivations(const Sources& sources);

    AggregateStatus aggregateStatus() const;
    DestinationDisplayStatus destinationStatus(
        const BackupJob& job, const BackupDestination& destination) const;
    DestinationDisplayStatus jobStatus(const BackupJob& job) const;
    int activeJobCount() const;
    int enabledJobCount() const;
    std::optional<QDateTime> lastSuccessfulBackup() const;
    qint64 totalTransferred() const;
    QList<JobDestination> allDestinations() const;

private:
    const ActiveRun* runOf(const BackupJob& job, const BackupDestination& destination) const;
    Availability availabilityOf(const BackupJob& job, const BackupDestination& destination) const;

    Sources m_sources;
};

} // namespace mv
