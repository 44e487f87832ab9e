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
#include "coordination/ViewSources.h"
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

// The program's composition root. It owns the long-lived services (the history, notifications, the Google
// account, the run coordinator, the destination monitor and the scheduler) and the small objects the views
// are given (the history feed, the job actions, the program requests), wires their callbacks to each other
// and repairs what a previous process left running. Views never see it. Lives on the main thread.
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
    ViewSources viewSources();

    // Starts the background work, once: notifications, history, pruning by age, the scheduler, the monitor.
    void start();
    // Records a scheduled run that did not happen.
    void recordMissed(const BackupJob& job, const BackupDestination& destination, const QDateTime& date);
    // The program's calm ending: saves the configuration at once, stops every run (each recorded as
    // cancelled), saves what their endings changed and lets the background work end. Answers whether the
    // configuration was written.
    QCoro::Task<bool> saveAndShutDown();

private:
    void installCallbacks();
    // Shows what the configuration or the history could not read or write: in the banner, or after the
    // banners already waiting, so that none replaces another.
    void tellStorageProblem(const QString& message);
    void applyMaintenance();

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
};

} // namespace mv
