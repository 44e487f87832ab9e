#pragma once

#include "coordination/CoordinatorIssue.h"
#include "coordination/GoogleDriveServices.h"
#include "coordination/TransferRelay.h"
#include "engine/RunControlling.h"
#include "model/ActiveRun.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"
#include "model/RunKey.h"
#include "platform/Clock.h"

#include <QFuture>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

struct GoogleDrivePlan;

class ConfigurationStore;
class HistoryRepository;
class NotificationService;
class PreflightFailure;
class RestoreCoordinator;
struct AppSettings;
struct GoogleDriveOutcome;
struct GoogleDrivePlan;
struct RsyncOutcome;
struct RunEnding;
template <class Outcome> class TransferOf;

// The one object every backup run passes through. It admits runs, queues them first in, first out, starts
// them while the concurrency limit allows and no other run writes to the same folder, carries each through
// its checks, its transfer and its retries, and ends it: the history row, the destination's status, the
// issue or desktop notice, and the finished entry kept visible for 6 s. Lives on the main thread.
//
// A run's phases: live = queued, preparing, running, paused, cancelling (one entry per key, holding its
// folder against a second writer); active = the live ones except queued (counted against the limit).
// `waiting` (for a retry, or after a run that could not start) is neither. A run turns `running` once its
// transfer has started.
//
// Restores stand apart, in the RestoreCoordinator this object owns; they share its issue.
class BackupCoordinator : public QObject {
    Q_OBJECT
public:
    BackupCoordinator(ConfigurationStore& store, HistoryRepository& history,
        NotificationService& notifications, GoogleDriveServices drive, Clock& clock = Clock::system(),
        QObject* parent = nullptr);
    // Never waits: a transfer still running is told to stop, and its history row stays running, to be
    // marked interrupted at the next start. Await shutdown() first for a calm ending.
    ~BackupCoordinator() override;

    // Every entry the views show, finished ones included for 6 s after their ending.
    QList<ActiveRun> runs() const;
    std::optional<ActiveRun> run(const RunKey& key) const;
    // The live runs, oldest start first.
    QList<ActiveRun> activeRuns() const;
    // How many runs are in an active phase.
    int activeCount() const;

    // The problem shown to the user; dismissing the alert sets it back to none.
    const std::optional<CoordinatorIssue>& issue() const { return m_issue; }
    void setIssue(std::optional<CoordinatorIssue> issue);

    // Admits, ignores (a run of the key is live already) or refuses (turned off, folder busy) one run. A run
    // of the key waiting for its retry goes on at once instead of a second run being queued.
    // A confirmed Drive mirror may bring the plan its preview was made from: its first attempt runs on it
    // instead of scanning and listing again.
    void enqueue(const BackupJob& job, const BackupDestination& destination, RunTrigger trigger,
        bool confirmedMirror = false, std::shared_ptr<const GoogleDrivePlan> confirmedPlan = {});
    // Enqueues every enabled destination of every enabled job.
    void runAll(RunTrigger trigger);
    // Starts no run until `ready` has finished; runs are admitted and wait in the queue meanwhile. For the
    // launch, which stops what an earlier process left writing before anything else writes. Takes the one
    // continuation a Qt 6.4 future keeps: another then() on `ready` would replace this one.
    void holdStartsUntil(QFuture<void> ready);

    void pauseAll();
    void togglePause(const QUuid& jobID, const QUuid& destinationID);
    // Pauses a running run, or a preparing one: its transfer then starts stopped.
    void pause(const QUuid& jobID, const QUuid& destinationID);
    void resume(const QUuid& jobID, const QUuid& destinationID);
    // Removes a queued run (the destination gets its previous result back) or stops a started one.
    void cancel(const QUuid& jobID, const QUuid& destinationID);

    RestoreCoordinator& restores() { return *m_restores; }

    // Stops everything at quit, for the program to await before it leaves its event loop: queued runs are
    // dropped, every started run and the restore are cancelled and end as cancelled in the history. It
    // resumes once they have ended, or after 8 s on the clock; a run still going then is abandoned where
    // it stands. Nothing can be queued afterwards.
    QCoro::Task<> shutdown();

Q_SIGNALS:
    void runAdded(const RunKey& key);
    // The entry's phase, message or figures changed; figures at most about 10 times a second.
    void runChanged(const RunKey& key);
    void runRemoved(const RunKey& key);
    void issueChanged();
    // At the end of every ending, with the run's key, once the ending's history row is written.
    void runFinished(const RunKey& key);

private:
    // A run admitted and not yet started, with copies of its job and destination taken at admission.
    struct QueuedRun {
        BackupJob job;
        BackupDestination destination;
        RunTrigger trigger = RunTrigger::manual;
        bool confirmedMirror = false;
        std::shared_ptr<const GoogleDrivePlan> confirmedPlan; // the plan a person confirmed, if any
        std::optional<RunResult> previousResult; // the destination's lastResult before it was queued
    };
    // What the controls share with one started run's task, from its start to its ending.
    struct RunTicket {
        bool confirmedMirror = false; // a later request may confirm what the run would delete
        std::shared_ptr<const GoogleDrivePlan> confirmedPlan; // taken by the next attempt
        bool cancelled = false; // the run ends cancelled at its next step
        bool paused = false; // the transfer is held, or is to start held
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
    // Everything about one key's run, from its admission until its finished entry is removed.
    struct Run {
        ActiveRun entry;
        QString folder; // folderKey() of the run's destination
        bool toDrive = false; // the Drive road, else the rsync road
        std::shared_ptr<RunTicket> ticket; // from the start to the ending
        std::shared_ptr<RunControlling> transfer; // while a transfer runs, rsync or Drive
        bool transferStarted = false;
        std::optional<QString> startedMessage; // what the entry says once the transfer has started
        std::optional<QString> pendingFile; // the last name reported, shown with the next sample
        std::shared_ptr<ClockAlarm> removal; // the 6 s hold of a finished entry

        // What pause, resume and cancel reach: the transfer, when there is one.
        RunControlling* control() const { return transfer.get(); }
        // What a preparing entry says: the Drive road plans, the rsync road checks.
        QString preparingMessage() const;
    };

    // Admission, queue and controls.
    QString folderOf(const BackupDestination& destination) const;
    std::optional<ActiveRun> liveWriter(const QString& folder, const RunKey& except, bool activeOnly) const;
    void pump();
    void resumeRetriesWaitingForFolders();
    void begin(QueuedRun item);
    void setProgress(const RunKey& key, RunPhase phase, std::optional<QString> message);
    void putEntry(const QueuedRun& item, RunPhase phase, const QString& message);
    void removeEntry(const RunKey& key);
    const AppSettings& settings() const;

    // One run, attempt after attempt, on either road: retries, their waits and the folder wait are the
    // same for both.
    QCoro::Task<> execute(QueuedRun item, RunKey key, std::shared_ptr<RunTicket> ticket);
    // How one attempt came out, whatever the road. `concluded`: the attempt ended the run itself (or the
    // run was abandoned). `finish` is the ending of a success, or of a failure when no retry is left;
    // `finishCancelled` what a cancel records from then on (none: cancelled before its transfer).
    struct Attempt {
        enum class End { concluded, cancelled, succeeded, failed };
        End end = End::concluded;
        std::function<void()> finish;
        std::function<void()> finishCancelled;
    };
    // One attempt of each road: its checks or plan, the mirror preview when it must, and the transfer.
    QCoro::Task<Attempt> attemptRsync(
        QueuedRun item, RunKey key, BackupRunRecord record, std::shared_ptr<RunTicket> ticket);
    QCoro::Task<Attempt> attemptGoogle(
        QueuedRun item, RunKey key, BackupRunRecord record, std::shared_ptr<RunTicket> ticket);
    QCoro::Task<> waitBeforeRetry(qint64 delaySeconds, std::shared_ptr<RunTicket> ticket);
    QCoro::Task<> waitForFolder(RunKey key, std::shared_ptr<RunTicket> ticket);
    // Runs `transfer` as the run's current one: the controls reach it and its news are the entry's figures
    // until it returns. Its outcome, or none when the run was abandoned meanwhile (check `this` after the
    // await as after any). `filesTotal`: the count a road knows before the first sample (the entry then
    // starts from a fraction of 0).
    template <class Outcome>
    QCoro::Task<std::optional<Outcome>> runTransfer(RunKey key, std::shared_ptr<TransferOf<Outcome>> transfer,
        std::shared_ptr<RunTicket> ticket, std::optional<QString> startedMessage,
        std::optional<qint64> filesTotal);
    // The two ends of runTransfer(): the relay returned carries the news; endTransfer() hands over the last
    // of it once the transfer has returned.
    std::shared_ptr<TransferRelay> startTransfer(const RunKey& key, std::shared_ptr<RunControlling> transfer,
        const RunTicket& ticket, std::optional<QString> startedMessage, std::optional<qint64> filesTotal);
    void endTransfer(
        const RunKey& key, const std::shared_ptr<RunControlling>& transfer, TransferRelay& relay);
    void handle(const RunKey& key, const TransferRelay::News& news);
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
    void finishGoogleSuccess(const GoogleDrivePlan& plan, const GoogleDriveOutcome& outcome,
        const QueuedRun& item, const RunKey& key, const BackupRunRecord& record);
    void finishGoogleFailure(const QString& message, const GoogleDrivePlan& plan,
        const GoogleDriveOutcome& outcome, const QueuedRun& item, const RunKey& key,
        const BackupRunRecord& record);
    void finishGoogleCancelled(const std::optional<GoogleDriveOutcome>& outcome, const QueuedRun& item,
        const RunKey& key, const BackupRunRecord& record);
    void finishPreflightFailure(const PreflightFailure& failure, const QueuedRun& item, const RunKey& key,
        const BackupRunRecord& record);
    void finishWaitingDeletions(
        qint64 count, const QueuedRun& item, const RunKey& key, const BackupRunRecord& record);
    // The frame every ending shares: history, destination status, entry, issue, notice, removal,
    // signals, pump.
    void conclude(const QueuedRun& item, const RunKey& key, const RunEnding& ending,
        const std::function<void()>& notify);
    void scheduleRemoval(const RunKey& key);

    // Whether a started run or the restore has not ended yet.
    bool anythingRunning() const;
    // Lets shutdown go on once the last run it stopped has ended.
    void noteEnded();

    ConfigurationStore& m_store;
    HistoryRepository& m_history;
    NotificationService& m_notifications;
    GoogleDriveServices m_drive;
    Clock& m_clock;
    RestoreCoordinator* m_restores; // a child of this object

    QHash<RunKey, Run> m_runs;
    std::optional<CoordinatorIssue> m_issue;
    QList<QueuedRun> m_queue;
    QSet<RunKey> m_offlineNotified;
    bool m_shutDown = false;
    int m_startHolds = 0; // futures still holding every start back
    QList<QPointer<Sleep>> m_shutdownWaits; // ended once nothing runs any more
};

} // namespace mv
