#pragma once

#include "engine/RsyncEvent.h"
#include "engine/RsyncOutcome.h"
#include "engine/RunControlling.h"
#include "engine/RunPlan.h"

#include <QString>

#include <functional>
#include <memory>

#include <qcoro/qcorotask.h>

namespace mv {

// Runs rsync children one at a time: reads both output pipes as they fill, writes every line to the run log
// (redacted, capped at 2,000,000 bytes) and to the output parser, hands each parsed event to the caller, and
// answers pause, resume and cancel with signals to the child's process group.
//
// A cancel is final: it ends the running child, and a run that had not started yet, or starts later on
// this controller, ends at once as cancelled without launching anything.
class RsyncProcessController final : public RunControlling {
public:
    // Called on the pipe reader threads (and, for the last unfinished lines, on the run's worker thread).
    using EventHandler = std::function<void(const RsyncEvent&)>;

    static constexpr qint64 logLimit = 2'000'000;

    RsyncProcessController();
    ~RsyncProcessController() override;

    // Runs the plan's executable with its arguments and environment (plus the askpass entries) on a worker
    // thread and resumes with the outcome. Throws RsyncRunError when rsync is not an executable file (no log
    // is made then) or cannot be started. Destroying the caller's task does not stop the child; cancel()
    // does.
    QCoro::Task<RsyncOutcome> run(RunPlan plan, QString logPath, EventHandler onEvent);

    bool pause() override;
    bool resume() override;
    bool cancel() override;

private:
    struct Shared;
    std::shared_ptr<Shared> d;
};

} // namespace mv
