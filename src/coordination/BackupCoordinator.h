#pragma once

#include "coordination/CoordinatorIssue.h"
#include "coordination/RestoreProgressState.h"
#include "model/ActiveRun.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"
#include "model/RunKey.h"
#include "platform/Clock.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

class QEventLoop;

namespace mv {

class ConfigurationStore;
class HistoryRepository;
class NotificationService;
class PreflightFailure;
class RsyncProcessController;
class RunControlling;
struct AppSettings;
struct RestoreItem;
struct RestorePlan;
struct RestoreRequest;
struct RsyncEvent;
struct RsyncOutcome;
struct RunEnding;
struct RunPlan;

// The one object every backup run passes through. It admits runs, queues them first in, first out, starts
// them while the concurrency limit allows and no other run writes to the same folder, carries each through
// its checks, its rsync transfer and its retries, and ends it: the history row, the destination's status,
// the issue or desktop notice, and the finished entry kept visible for 6 s. Lives on the main thread.
//
// A run's phases: live = queued, preparing, running, paused, cancelling (listed in activeRuns, one per
// key, and holding their folder against a second writer); active = the live ones except queued (counted
// against the limit). `waiting` (for a retry, or after a run that could not start) is neither.
//
// Restores stand apart: at most one at a time, its items copied one after another by one rsync controller,
// outside the queue, the limit and the one-writer rule.
class BackupCoordinator : public QObject {
    Q_OBJECT
public:
    BackupCoordinator(ConfigurationStore& store, HistoryRepository& history,
        NotificationService& notifications, Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~BackupCoordinator() override;

    // Every run the views show, finished ones included for 6 s after their ending.
    const QHash<RunKey, ActiveRun>& runs() const { return m_runs; }
    // The live runs, oldest start first.
    QList<ActiveRun> activeRuns() const;
    // How many runs are in an active phase.
    int activeCount() const;

    // The problem shown to the user; dismissing the alert sets it back to none.
    const std::optional<CoordinatorIssue>& issue() const { return m_issue; }
    void setIssue(std::optional<CoordinatorIssue> issue);

    // Admits, ignores (a run of the key is live already) or refuses (turned off, folder busy) one run. A run
    // of the key waiting for its retry goes on at once instead of a second run being queued.
    void enqueue(const BackupJob& job, const BackupDestination& destination, RunTrigger trigger,
        bool confirmedMirror = false);
    // Enqueues every enabled destination of every enabled job.
    void runAll(RunTrigger trigger);

    void pauseAll();
    void togglePause(const QUuid& jobID, const QUuid& destinationID);
    void pause(const QUuid& jobID, const QUuid& destinationID);
    void resume(const QUuid& jobID, const QUuid& destinationID);
    // Removes a queued run (the destination gets its previous result back) or stops a started one.
    void cancel(const QUuid& jobID, const QUuid& destinationID);

    // The one restore in progress or just finished; none before the first and after clearRestore().
    const std::optional<RestoreProgressState>& restore() const { return m_restore; }
    // The controller of the running restore's rsync children, from the restore's first item to its ending.
    std::shared_ptr<RsyncProcessController> restoreController() const { return m_restoreController; }

    // The names a restore would write over. Empty when it can start at once, and also when it cannot be
    // planned: starting it then raises the problem.
    QCoro::Task<QStringList> restoreRequiredConfirmation(RestoreRequest request);
    // Starts a restore, or raises an issue when one is already in progress or the request cannot be
    // planned. The restore records itself in the history as "<job> restore".
    void performRestore(const RestoreRequest& request);
    // Stops the restore in progress: it turns `cancelling`, its current rsync child is told to stop, and no
    // later item starts, so it ends `cancelled` whether it was preparing, copying or between two items.
    void cancelRestore();
    // Removes a finished restore from view; one in progress stays.
    void clearRestore();

    // Stops everything at quit: every started run is abandoned where it stands (its history row stays
    // running, to be marked interrupted at the next start), the restore is cancelled, every rsync child is
    // stopped and waited for (SIGTERM to its process group, SIGKILL if it stays), and the queue is emptied.
    void shutdown();

    // Set by the application state: called at the end of every ending, with the run's key...
    std::function<void(const RunKey&)> onRunFinished;
    // ...and right after it, once the ending's history row is written; also at the end of every restore.
    std::function<void()> onRunRecorded;

Q_SIGNALS:
    // Runs, the restore or the issue changed.
    void changed();

private:
    // A run admitted and not yet started, with copies of its job and destination taken at admission.
    struct QueuedRun {
        BackupJob job;
        BackupDestination destination;
        RunTrigger trigger = RunTrigger::manual;
        bool confirmedMirror = false;
        std::optional<RunResult> previousResult; // the destination's lastResult before it was queued
    };
    // What the controls share with one started run's task, from its start to its ending.
    struct RunTicket {
        QString folder; // folderKey() of the run's destination
        bool confirmedMirror = false; // a later request may confirm what the run would delete
        bool cancelled = false; // the run ends cancelled at its next step
        bool abandoned = false; // shut down: the run stops where it stands, with no ending
        bool waitingForFolder = false; // a retry held until another run leaves its folder
        bool woken = false; // the current wait was ended early
        QPointer<Sleep> wait; // the retry or folder wait in progress

        void wake()
        {
            woken = true;
            if (wait)
                wait->wake();
        }
    };

    // Admission, queue and controls.
    std::optional<ActiveRun> liveWriter(const QString& folder, const RunKey& except, bool activeOnly) const;
    void pump();
    void resumeRetriesWaitingForFolders();
    void begin(QueuedRun item);
    void setProgress(const RunKey& key, RunPhase phase, std::optional<QString> message);
    void putEntry(const QueuedRun& item, RunPhase phase, const QString& message);
    const AppSettings& settings() const;
    // The controller of the key's transfer while its entry is in `phase`.
    std::shared_ptr<RunControlling> controllerIn(const RunKey& key, RunPhase phase) const;
    void waitForTransfersToEnd();

    struct EventRelay;
    // What cancelRestore() and shutdown() share with one restore's task.
    struct RestoreTicket {
        bool cancelled = false; // no further item starts
    };
    // The restore item whose rsync child reports progress, and the bytes of the items before it.
    struct RestoreStep {
        std::shared_ptr<RestoreTicket> ticket;
        qint64 index = 0;
        qint64 count = 0;
        qint64 bytesBefore = 0;
    };
    struct RestoreRelay;
    // Bytes and files copied by the restore's items so far.
    struct RestoreTotals {
        qint64 bytes = 0;
        qint64 files = 0;
    };

    // One run, attempt after attempt.
    QCoro::Task<> execute(QueuedRun item, RunKey key, std::shared_ptr<RunTicket> ticket);
    QCoro::Task<RsyncOutcome> runPlan(RunPlan plan, RunKey key, QString logPath);
    QCoro::Task<> waitBeforeRetry(qint64 delaySeconds, std::shared_ptr<RunTicket> ticket);
    QCoro::Task<> waitForFolder(RunKey key, std::shared_ptr<RunTicket> ticket);
    void handle(const RsyncEvent& event, const RunKey& key);
    BackupRunRecord makeRecord(const QueuedRun& item) const;
    QString logPath(const RunKey& key) const;

    // Endings.
    // `pruneFailure`: why the snapshots beyond the retention were kept, when they were.
    void finishSuccess(const RsyncOutcome& outcome, const std::optional<QString>& pruneFailure,
        const QueuedRun& item, const RunKey& key, const BackupRunRecord& record);
    void finishFailure(const QString& message, const RsyncOutcome& outcome, const QueuedRun& item,
        const RunKey& key, const BackupRunRecord& record);
    void finishCancelled(const QueuedRun& item, const RunKey& key, const BackupRunRecord& record,
        const std::optional<RsyncOutcome>& outcome);
    void finishPreflightFailure(const PreflightFailure& failure, const QueuedRun& item, const RunKey& key,
        const BackupRunRecord& record);
    void finishWaitingDeletions(
        qint64 count, const QueuedRun& item, const RunKey& key, const BackupRunRecord& record);
    // The frame every ending shares: history, destination status, entry, issue, notice, removal,
    // callbacks, pump.
    void conclude(const QueuedRun& item, const RunKey& key, const RunEnding& ending,
        const std::function<void()>& notify);
    void scheduleRemoval(const RunKey& key);

    // Restores.
    QCoro::Task<> executeRestore(
        RestorePlan plan, BackupRunRecord record, std::shared_ptr<RestoreTicket> ticket);
    BackupRunRecord makeRestoreRecord(const RestorePlan& plan) const;
    void showRestoreItem(qint64 index, const RestoreItem& item);
    void handleRestoreEvent(const RsyncEvent& event, const RestoreStep& step);
    void finishRestore(RunPhase phase, const QString& failure, BackupRunRecord record, RestoreTotals totals);

    // Whether an rsync child may still be running: a run's transfer or the restore.
    bool transfersRunning() const;
    // Lets shutdown go on once the last stopped transfer has reported back.
    void noteTransferEnded();

    ConfigurationStore& m_store;
    HistoryRepository& m_history;
    NotificationService& m_notifications;
    Clock& m_clock;

    QHash<RunKey, ActiveRun> m_runs;
    std::optional<CoordinatorIssue> m_issue;
    QList<QueuedRun> m_queue;
    QHash<RunKey, std::shared_ptr<RunTicket>> m_tickets; // one per started run, until its ending
    QHash<RunKey, std::shared_ptr<RunControlling>> m_controllers; // while a transfer runs
    QHash<RunKey, QString> m_pendingFiles; // the last file name a transfer reported
    QHash<RunKey, std::shared_ptr<ClockAlarm>> m_removals; // the 6 s hold of finished entries
    QSet<RunKey> m_offlineNotified;
    QHash<RunKey, QString> m_folders; // the folder key of each entry in m_runs
    std::optional<RestoreProgressState> m_restore;
    std::shared_ptr<RestoreTicket> m_restoreTicket; // of the latest restore
    std::shared_ptr<RsyncProcessController> m_restoreController; // while the restore copies its items
    bool m_shutDown = false;
    QEventLoop* m_stopWait = nullptr; // quit when the last transfer stopped by shutdown has ended
};

} // namespace mv
