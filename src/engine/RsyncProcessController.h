#pragma once

#include "engine/RsyncEvent.h"
#include "engine/RsyncOutcome.h"
#include "engine/RsyncRunError.h"
#include "engine/RunControlling.h"
#include "engine/RunPlan.h"
#include "platform/Clock.h"

#include <QString>

#include <chrono>
#include <expected>
#include <functional>
#include <memory>

#include <qcoro/qcorotask.h>

namespace mv {

// Runs rsync children one at a time: reads both output pipes as they fill, writes every line to the run log
// (redacted, capped at 2,000,000 bytes) and to the output parser, hands each parsed event to the caller, and
// answers pause, resume and cancel with signals to the child's process group.
//
// A cancel is final: it ends the running child, and a run that had not started yet, or starts later on
// this controller, ends at once as cancelled without launching anything. A pause that comes before the
// first child exists is kept, and that child is stopped as soon as it starts; a resume before then drops it.
// Its runs keep what they need, so it may go before they end.
class RsyncProcessController final : public RunControlling {
public:
    // Called on the pipe reader threads (and, for the last unfinished lines, on the run's worker thread).
    using EventHandler = std::function<void(const RsyncEvent&)>;
    // Called on the run's worker thread once the child exists: pause, resume and cancel now reach it.
    using StartedHandler = std::function<void()>;

    static constexpr qint64 logLimit = 2'000'000;
    // After SIGTERM, for a child that ignores it; measured on the controller's clock.
    static constexpr std::chrono::milliseconds killDelay { 4000 };

    // `clock` times the kill after a cancel; its alarms fire on the thread that calls cancel().
    explicit RsyncProcessController(Clock& clock = Clock::system());
    ~RsyncProcessController() override;

    // Runs the plan's executable with its arguments and environment (plus the askpass entries) on a worker
    // thread and resumes with the outcome, or with why it could not start: rsync is not an executable file
    // (no log is made then) or cannot be launched. Destroying the caller's task does not stop the child;
    // cancel() does.
    QCoro::Task<std::expected<RsyncOutcome, RsyncRunError>> tryRun(
        RunPlan plan, QString logPath, EventHandler onEvent, StartedHandler onStarted = {});
    // From the next run on, each child is recorded in the support folder while it runs (RunningTransfers),
    // so that a launch after a crash stops it if it is still writing.
    void recordChildrenIn(QString supportFolder);

    // The same, throwing RsyncRunError when the run could not start.
    QCoro::Task<RsyncOutcome> run(RunPlan plan, QString logPath, EventHandler onEvent);

    bool pause() override;
    bool resume() override;
    bool cancel() override;

private:
    struct Shared;
    std::shared_ptr<Shared> d;
    Clock& m_clock;
    std::shared_ptr<ClockAlarm> m_killAlarm; // the SIGKILL that follows a cancel's SIGTERM
};

} // namespace mv
