#include "coordination/DestinationMonitor.h"

#include "model/ConfigurationStore.h"
#include "platform/WorkerPool.h"

#include <QPointer>

#include <mutex>
#include <optional>
#include <vector>

namespace mv {

namespace {

using namespace std::chrono_literals;

constexpr auto pollInterval = 30s;

bool isJudgedFromFileSystem(DestinationKind kind)
{
    return kind == DestinationKind::local || kind == DestinationKind::network;
}

// An SSH destination is never examined: its first entry comes from its last result and stays.
Availability sshAvailability(const BackupDestination& destination)
{
    if (destination.lastResult == RunResult::failed && destination.lastError)
        return Availability::unknown();
    return Availability::online();
}

} // namespace

// One refresh: the jobs as they were when it began and, per destination in visiting order, the answer of its
// check once it came.
struct DestinationMonitor::Pass {
    QList<BackupJob> jobs;
    std::vector<std::optional<Availability>> results;
    qsizetype outstanding = 0;
    std::shared_ptr<ClockAlarm> deadline;
    bool finished = false;
};

// How a worker hands its answer to the monitor: only while the monitor exists, and never while it is being
// destroyed, since the lock is held from the check of the pointer until the answer is posted.
struct DestinationMonitor::Mailbox {
    std::mutex mutex;
    DestinationMonitor* monitor = nullptr;
};

DestinationMonitor::DestinationMonitor(ConfigurationStore& store, Clock& clock, Judge judge, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(clock)
    , m_judge(std::move(judge))
    , m_mailbox(std::make_shared<Mailbox>())
{
    m_mailbox->monitor = this;
}

DestinationMonitor::~DestinationMonitor()
{
    {
        const std::lock_guard lock(m_mailbox->mutex);
        m_mailbox->monitor = nullptr;
    }
    // A worker may hold the pass longer than this: its timer must die here, on its own thread.
    if (m_pass)
        m_pass->deadline.reset();
}

void DestinationMonitor::start()
{
    armTimer();
    refresh();
}

void DestinationMonitor::armTimer()
{
    if (m_timer)
        m_timer->cancel();
    m_timer = m_clock.after(pollInterval, [self = QPointer<DestinationMonitor>(this)] {
        if (!self)
            return;
        self->armTimer();
        self->refresh();
    });
}

void DestinationMonitor::refresh()
{
    // Two passes at once could apply their answers out of order; the later request runs after this one.
    if (m_pass) {
        m_refreshAgain = true;
        return;
    }
    beginPass();
}

void DestinationMonitor::beginPass()
{
    auto pass = std::make_shared<Pass>();
    pass->jobs = m_store.config().jobs;
    m_pass = pass;
    struct Check {
        size_t index;
        DestinationRef key;
        BackupDestination destination;
    };
    std::vector<Check> checks;
    size_t slot = 0;
    for (const BackupJob& job : pass->jobs) {
        for (const BackupDestination& destination : job.destinations) {
            const size_t index = slot++;
            const DestinationRef key { job.id, destination.id };
            // A check still hanging on a dead mount holds a worker; starting another would hold one more.
            if (isJudgedFromFileSystem(destination.kind) && !m_checking.contains(key))
                checks.push_back({ index, key, destination });
        }
    }
    pass->results.resize(slot);
    pass->outstanding = qsizetype(checks.size());
    for (const Check& check : checks) {
        m_checking.insert(check.key);
        WorkerPool::instance().start([judge = m_judge, check, pass, mailbox = m_mailbox] {
            const Availability result = judge(check.destination);
            const std::lock_guard lock(mailbox->mutex);
            if (DestinationMonitor* monitor = mailbox->monitor)
                QMetaObject::invokeMethod(
                    monitor,
                    [monitor, pass, index = check.index, key = check.key, result] {
                        monitor->m_checking.remove(key);
                        monitor->answer(pass, index, result);
                    },
                    Qt::QueuedConnection);
        });
    }
    if (pass->outstanding == 0) {
        // Answers are always applied after refresh() returned, whether or not any check had to wait.
        QMetaObject::invokeMethod(
            this, [this, pass] { finishPass(pass); }, Qt::QueuedConnection);
        return;
    }
    pass->deadline = m_clock.after(
        checkBound, [self = QPointer<DestinationMonitor>(this), weakPass = std::weak_ptr<Pass>(pass)] {
            const std::shared_ptr<Pass> running = weakPass.lock();
            if (self && running)
                self->finishPass(running);
        });
}

void DestinationMonitor::answer(const std::shared_ptr<Pass>& pass, size_t index, const Availability& result)
{
    // An answer that comes after the bound is already stale: the next refresh checks again.
    if (pass->finished)
        return;
    pass->results[index] = result;
    if (--pass->outstanding == 0)
        finishPass(pass);
}

void DestinationMonitor::finishPass(const std::shared_ptr<Pass>& pass)
{
    if (pass->finished)
        return;
    pass->finished = true;
    if (pass->deadline) {
        pass->deadline->cancel();
        pass->deadline.reset();
    }
    size_t slot = 0;
    for (const BackupJob& job : pass->jobs) {
        for (const BackupDestination& destination : job.destinations) {
            const std::optional<Availability>& result = pass->results[slot++];
            const DestinationRef key { job.id, destination.id };
            switch (destination.kind) {
            case DestinationKind::googleDrive:
                break;
            case DestinationKind::ssh:
                if (!m_availability.contains(key))
                    store(key, sshAvailability(destination));
                break;
            case DestinationKind::local:
            case DestinationKind::network:
                if (result)
                    apply(job, destination, *result);
                break;
            }
        }
    }
    m_pass.reset();
    Q_EMIT changed();
    Q_EMIT refreshed();
    if (m_refreshAgain) {
        m_refreshAgain = false;
        beginPass();
    }
}

void DestinationMonitor::apply(
    const BackupJob& job, const BackupDestination& destination, const Availability& next)
{
    const DestinationRef key { job.id, destination.id };
    const Availability previous = m_availability.value(key, Availability::unknown());
    store(key, next);
    if (next.state == Availability::State::online && previous.isOffline()) {
        if (onBecameAvailable)
            onBecameAvailable(job.id, destination.id);
    } else if (next.isOffline() && next != previous) {
        if (onWentOffline)
            onWentOffline(job, destination, next.reason);
    }
}

void DestinationMonitor::store(const DestinationRef& key, const Availability& value)
{
    const auto existing = m_availability.constFind(key);
    if (existing != m_availability.constEnd() && *existing == value)
        return;
    // Told once, when the pass ends: a signal per destination made a pass over many jobs cost their square.
    m_availability.insert(key, value);
}

} // namespace mv
