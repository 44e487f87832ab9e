#pragma once

#include "coordination/AppEnvironment.h"
#include "coordination/BackupCoordinator.h"
#include "coordination/DestinationMonitor.h"
#include "coordination/HistoryFeed.h"
#include "coordination/JobActions.h"
#include "coordination/MirrorPrompt.h"
#include "coordination/NavigationRequest.h"
#include "coordination/NotificationService.h"
#include "coordination/ProgramRequests.h"
#include "coordination/SchedulerService.h"
#include "coordination/StatusDerivations.h"
#include "drive/GoogleDriveConnection.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleResumeStore.h"
#include "model/BackupRunRecord.h"
#include "model/HistoryRepository.h"
#include "model/HistoryStats.h"
#include "platform/FileManager.h"
#include "platform/WakeWatcher.h"

#include <QFuture>
#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>

#include <expected>
#include <memory>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

namespace mv {

class ConfigurationStore;
class SystemLog;

// The one object the views read. It owns the long-lived services (the history, notifications, the Google
// account, the run coordinator, the destination monitor and the scheduler), wires their callbacks to each
// other, repairs what a previous process left running, turns the user's requests into runs and derives
// every status the views show. Lives on the main thread; each piece of state announces its own change.
class AppState : public QObject {
    Q_OBJECT
public:
    // Builds every service and repairs the previous process's leftovers; the configuration is saved
    // before this returns.
    AppState(ConfigurationStore& store, const AppEnvironment& environment, QObject* parent = nullptr);
    ~AppState() override;
    // For the quit path, once the runs have stopped: resumes when the launch's stopping of leftovers and
    // its pruning have ended and every history write made so far is in the file, so that destroying this
    // object waits for nothing.
    QCoro::Task<> finishBackgroundWork();

    ConfigurationStore& store() { return m_store; }
    HistoryRepository& history() { return *m_history; }
    NotificationService& notifications() { return m_notifications; }
    GoogleAuthManager& googleAuth() { return m_googleAuth; }
    GoogleCredentialStore& googleCredentials() { return m_googleCredentials; }
    BackupCoordinator& coordinator() { return m_coordinator; }
    DestinationMonitor& monitor() { return m_monitor; }
    SchedulerService& scheduler() { return m_scheduler; }
    // The clock every status and relative time is read against.
    Clock& clock() const { return m_clock; }
    HistoryFeed& historyFeed() { return m_historyFeed; }
    JobActions& jobActions() { return m_jobActions; }
    ProgramRequests& requests() { return m_requests; }

    // Starts the background work, once: notifications, history, pruning by age, the scheduler, the monitor.
    void start();
    // Reloads the totals and the newest runs off the main thread; historyChanged() when they arrive.
    void refreshHistory();
    // Records a scheduled run that did not happen.
    void recordMissed(const BackupJob& job, const BackupDestination& destination, const QDateTime& date);
    // The program's calm ending: saves the configuration at once, stops every run (each recorded as
    // cancelled), saves what their endings changed and lets the background work end. Answers whether the
    // configuration was written.
    QCoro::Task<bool> saveAndShutDown();

    const HistoryStats& historyStats() const;
    const std::vector<BackupRunRecord>& recentRuns() const;

    const std::optional<QString>& banner() const;
    // Replaces the banner. Clearing it shows the next storage problem still waiting, if any.
    void setBanner(std::optional<QString> banner);
    const std::optional<BackupJob>& pendingDeletion() const;
    void setPendingDeletion(std::optional<BackupJob> job);

    // Run requests. A mirror destination's manual run is previewed first; when it would delete anything,
    // mirrorPrompt() asks the user, and confirmMirrorRun() starts it.
    QCoro::Task<> runJob(BackupJob job);
    QCoro::Task<> requestRun(BackupJob job, BackupDestination destination);
    void confirmMirrorRun();
    const std::optional<MirrorPrompt>& mirrorPrompt() const;
    void setMirrorPrompt(std::optional<MirrorPrompt> prompt);
    bool mirrorCheckInProgress() const;

    // The statuses, computed at each call from the configuration, the runs, the monitor and the account.
    AggregateStatus aggregateStatus() const;
    DestinationDisplayStatus destinationStatus(
        const BackupJob& job, const BackupDestination& destination) const;
    DestinationDisplayStatus jobStatus(const BackupJob& job) const;
    int activeJobCount() const;
    int enabledJobCount() const;
    std::optional<QDateTime> lastSuccessfulBackup() const;
    qint64 totalTransferred() const;
    QList<JobDestination> allDestinations() const;

    // Job operations. A deletion stops the job's runs and removes its passphrases; its history stays.
    void deleteJob(const BackupJob& job);
    void toggleJob(const BackupJob& job);
    void duplicateJob(const BackupJob& job);
    // Writes the export into the support folder and shows it in the file manager; a failure sets the banner.
    void exportHistory();
    void exportConfiguration();
    void setAppearance(AppearancePreference preference);
    // Tells the views the stored appearance (appearanceChanged()); they paint with it.
    void applyAppearance();
    void setLaunchAtLogin(bool enabled);
    // Follows a login item added or removed outside the program.
    void refreshLoginItemState();

    // Navigation asked for by a view. Kept until a view takes it when nobody listens yet.
    void requestNavigation(const NavigationRequest& request);
    QList<NavigationRequest> takePendingNavigation();

Q_SIGNALS:
    // Something any view may show changed: the configuration, a run's coming, going, phase or message, the
    // monitor or the Google account. A run's figures alone (bytes, speed, fraction, file) change about ten
    // times a second a run; they come with runFiguresChanged() only, so that views showing no figures are not
    // redrawn for them.
    void changed();
    void runFiguresChanged();
    void historyChanged();
    void bannerChanged();
    void mirrorPromptChanged();
    void mirrorCheckInProgressChanged();
    void pendingDeletionChanged();
    void navigationRequested(const NavigationRequest& request);
    void appearanceChanged(AppearancePreference preference);

protected:
    void connectNotify(const QMetaMethod& signal) override;

private:
    void installCallbacks();
    // Shows what the configuration or the history could not read or write: in the banner, or after the
    // banners already waiting, so that none replaces another.
    void tellStorageProblem(const QString& message);
    void applyMaintenance();
    GoogleAccountState googleAccountState() const;
    void takeRunChange(const RunKey& key);
    template <typename Read> auto derive(Read read) const;

    ConfigurationStore& m_store;
    Clock& m_clock;
    FileManager& m_fileManager;
    std::unique_ptr<HistoryRepository> m_history;
    NotificationService m_notifications;
    GoogleCredentialStore m_googleCredentials;
    QNetworkAccessManager m_network;
    GoogleAuthManager m_googleAuth;
    GoogleDriveConnection m_driveConnection;
    SystemLog& m_log;
    GoogleResumeStore m_googleResume; // every Drive run of the process resumes from this one
    BackupCoordinator m_coordinator;
    DestinationMonitor m_monitor;
    SchedulerService m_scheduler;
    WakeWatcher m_wakeWatcher;

    HistoryFeed m_historyFeed;
    ProgramRequests m_requests;
    JobActions m_jobActions;
    bool m_started = false;
    QFuture<void> m_maintenance; // the launch's pruning by age
    QFuture<void> m_leftoverStop; // the launch's stopping of what an earlier process left writing
    // Each live run's phase and message as last announced with changed().
    QHash<RunKey, std::pair<RunPhase, std::optional<QString>>> m_runStates;
};

} // namespace mv
