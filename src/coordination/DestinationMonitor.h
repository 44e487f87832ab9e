#pragma once

#include "coordination/Availability.h"
#include "coordination/DestinationJudgement.h"
#include "coordination/DestinationRef.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "platform/Clock.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>

namespace mv {

class ConfigurationStore;

// Keeps a live judgement of whether each destination of each job can be written to, and tells its owner
// when a drive or share comes back or goes away. It polls every 30 seconds and when asked; it never writes
// to the configuration. Lives on the main thread; the file-system checks run on the worker pool, so a hung
// network mount never stalls the program.
class DestinationMonitor : public QObject {
    Q_OBJECT
public:
    using Judge = std::function<Availability(const BackupDestination&)>;

    // How long a refresh waits for one destination's check. One that has not answered by then keeps its
    // last judgement, and while it stays unanswered no further check of that destination is started.
    static constexpr std::chrono::milliseconds checkBound { 2000 };

    // `judge` answers for one drive or share destination on a worker thread.
    explicit DestinationMonitor(ConfigurationStore& store, Clock& clock = Clock::system(),
        Judge judge = judgeDestination, QObject* parent = nullptr);
    ~DestinationMonitor() override;

    // Entries are added and replaced, never removed: a deleted destination keeps its last one. Google Drive
    // destinations have none.
    const QHash<DestinationRef, Availability>& availability() const { return m_availability; }
    // Whether a check of that destination is under way (or hanging) and its answer not yet taken.
    bool isChecking(const DestinationRef& key) const { return m_checking.contains(key); }

    // Refreshes now and every 30 seconds from now on; a second call replaces the timer.
    void start();
    // Judges every destination again. A refresh asked for while one is under way follows it.
    void refresh();

    // A drive or share went from offline to online, whatever its schedule.
    std::function<void(const QUuid& jobID, const QUuid& destinationID)> onBecameAvailable;
    // A drive or share is newly offline, or offline for a new reason.
    std::function<void(const BackupJob& job, const BackupDestination& destination, const QString& reason)>
        onWentOffline;

Q_SIGNALS:
    // The map changed; also sent once more at the end of each refresh.
    void changed();
    // A refresh has applied its judgements.
    void refreshed();

private:
    struct Pass;
    struct Mailbox;

    void armTimer();
    void beginPass();
    void answer(const std::shared_ptr<Pass>& pass, size_t index, const Availability& result);
    void finishPass(const std::shared_ptr<Pass>& pass);
    void apply(const BackupJob& job, const BackupDestination& destination, const Availability& next);
    void store(const DestinationRef& key, const Availability& value);

    ConfigurationStore& m_store;
    Clock& m_clock;
    Judge m_judge;
    QHash<DestinationRef, Availability> m_availability;
    std::shared_ptr<ClockAlarm> m_timer;
    std::shared_ptr<Mailbox> m_mailbox;
    std::shared_ptr<Pass> m_pass;
    bool m_refreshAgain = false;
    // Destinations whose check is still running on a worker, perhaps from an earlier refresh.
    QSet<DestinationRef> m_checking;
};

} // namespace mv
