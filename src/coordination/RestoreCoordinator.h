#pragma once

#include "coordination/CoordinatorIssue.h"
#include "coordination/RestoreProgressState.h"
#include "coordination/TransferRelay.h"
#include "model/BackupRunRecord.h"
#include "platform/Clock.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

class ConfigurationStore;
class HistoryRepository;
class NotificationService;
class Transfer;
struct RestoreItem;
struct RestorePlan;
struct RestoreRequest;

// Restores: at most one at a time, planned by RestoreService, recorded in the history as "<job> restore",
// their items copied one after another outside the backup queue, its limit and its one-writer rule, with
// the progress of the whole restore published for the views and a notice when it succeeds. Lives on the
// main thread.
class RestoreCoordinator : public QObject {
    Q_OBJECT
public:
    RestoreCoordinator(ConfigurationStore& store, HistoryRepository& history,
        NotificationService& notifications, Clock& clock, QObject* parent = nullptr);
    ~RestoreCoordinator() override;

    // The one restore in progress or just finished; none before the first and after clearRestore().
    const std::optional<RestoreProgressState>& restore() const { return m_restore; }
    // Whether a restore has started and not yet ended.
    bool isRunning() const { return bool(m_ticket); }
    // The transfer of the item being copied, from the restore's first item to its ending.
    std::shared_ptr<Transfer> transfer() const { return m_transfer; }

    // The names a restore would write over. Empty when it can start at once, and also when it cannot be
    // planned: starting it then raises the problem.
    QCoro::Task<QStringList> restoreRequiredConfirmation(RestoreRequest request);
    // Starts a restore, or raises an issue when one is already in progress or the request cannot be
    // planned.
    void performRestore(const RestoreRequest& request);
    // Stops the restore in progress: it turns `cancelling`, its current transfer is told to stop, and no
    // later item starts, so it ends `cancelled` whether it was preparing, copying or between two items.
    void cancelRestore();
    // Removes a finished restore from view; one in progress stays.
    void clearRestore();
    // No restore starts any more.
    void shutDown() { m_shutDown = true; }

Q_SIGNALS:
    void restoreChanged();
    void issueRaised(const CoordinatorIssue& issue);
    // At the end of every restore, once its history row is written.
    void restoreRecorded();

private:
    // What cancelRestore() shares with one restore's task.
    struct Ticket {
        bool cancelled = false; // no further item starts
    };
    // The restore item whose transfer reports progress, and the bytes of the items before it.
    struct Step {
        std::shared_ptr<Ticket> ticket;
        qint64 index = 0;
        qint64 count = 0;
        qint64 bytesBefore = 0;
    };
    // Bytes and files copied by the restore's items so far.
    struct Totals {
        qint64 bytes = 0;
        qint64 files = 0;
    };

    QCoro::Task<> execute(RestorePlan plan, BackupRunRecord record, std::shared_ptr<Ticket> ticket);
    BackupRunRecord makeRecord(const RestorePlan& plan) const;
    void showItem(qint64 index, const RestoreItem& item);
    void handle(const TransferRelay::News& news, const Step& step);
    void finish(RunPhase phase, const QString& failure, BackupRunRecord record, Totals totals);

    ConfigurationStore& m_store;
    HistoryRepository& m_history;
    NotificationService& m_notifications;
    Clock& m_clock;

    std::optional<RestoreProgressState> m_restore;
    std::shared_ptr<Ticket> m_ticket; // of the restore in progress
    std::shared_ptr<Transfer> m_transfer; // while the restore copies its items
    bool m_shutDown = false;
};

} // namespace mv
