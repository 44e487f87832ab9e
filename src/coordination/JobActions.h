#pragma once

#include "coordination/CoordinatorIssue.h"
#include "coordination/GoogleDriveServices.h"
#include "coordination/MirrorPrompt.h"
#include "model/BackupJob.h"
#include "model/RunKey.h"

#include <QFuture>
#include <QObject>

#include <expected>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

class BackupCoordinator;
class Clock;
class ConfigurationStore;
class DestinationMonitor;
class HistoryFeed;

// What the views ask of jobs and runs: run one job or destination (a manual mirror run is previewed and, when
// it would delete anything, confirmed first), control a run, turn a job on or off, duplicate it, ask to
// delete it and delete it once confirmed, and show or dismiss the coordinator's issue. Lives on the main
// thread.
class JobActions : public QObject {
    Q_OBJECT
public:
    JobActions(ConfigurationStore& store, BackupCoordinator& coordinator, DestinationMonitor& monitor,
        HistoryFeed& history, GoogleDriveServices drive, Clock& clock, QObject* parent = nullptr);

    QCoro::Task<> runJob(BackupJob job);
    QCoro::Task<> requestRun(BackupJob job, BackupDestination destination);
    const std::optional<MirrorPrompt>& mirrorPrompt() const { return m_mirrorPrompt; }
    void setMirrorPrompt(std::optional<MirrorPrompt> prompt);
    // Starts the run the prompt asked about.
    void confirmMirrorRun();
    // A mirror run's preview is under way: every other run request is dropped until it ends.
    bool mirrorCheckInProgress() const { return m_mirrorCheckInProgress; }

    void runAll();
    void pauseAll();
    void togglePause(const RunKey& key);
    void cancel(const RunKey& key);

    void toggleJob(const BackupJob& job);
    void duplicateJob(const BackupJob& job);
    // Asks the user to confirm the deletion of `job` (pendingDeletionChanged()); the presenter shows it.
    void askToDelete(const BackupJob& job);
    const std::optional<BackupJob>& pendingDeletion() const { return m_pendingDeletion; }
    void setPendingDeletion(std::optional<BackupJob> job);
    // Stops the job's runs and removes it; its passphrases leave the keyring off the main thread, and its
    // history stays.
    void deleteJob(const BackupJob& job);

    const std::optional<CoordinatorIssue>& issue() const;
    void setIssue(std::optional<CoordinatorIssue> issue);
    // Checks every destination's availability again.
    void refreshAvailability();

Q_SIGNALS:
    void mirrorPromptChanged();
    void mirrorCheckInProgressChanged();
    void pendingDeletionChanged();
    void issueChanged();

private:
    void setMirrorCheckInProgress(bool inProgress);
    // What a mirror run would delete, and on Drive the plan that preview was made from.
    struct Confirmation {
        MirrorPreview preview;
        std::shared_ptr<const GoogleDrivePlan> drivePlan;
    };
    QCoro::Task<std::expected<Confirmation, CoordinatorIssue>> driveMirrorConfirmation(
        BackupJob job, BackupDestination destination);
    QCoro::Task<std::expected<Confirmation, CoordinatorIssue>> mirrorConfirmation(
        BackupJob job, BackupDestination destination);
    void scheduleNextRuns(const BackupJob& job);

    ConfigurationStore& m_store;
    BackupCoordinator& m_coordinator;
    DestinationMonitor& m_monitor;
    HistoryFeed& m_history;
    GoogleDriveServices m_drive;
    Clock& m_clock;
    std::optional<MirrorPrompt> m_mirrorPrompt;
    bool m_mirrorCheckInProgress = false;
    std::optional<BackupJob> m_pendingDeletion;
    QFuture<void> m_passphraseRemoval; // the newest; the worker pool lets it end before the process does
};

} // namespace mv
