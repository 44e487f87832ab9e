#include "engine/RsyncTransfer.h"

namespace mv {

RsyncTransfer::RsyncTransfer(RunPlan plan, QString logPath, Clock& clock)
    : m_plan(std::move(plan))
    , m_logPath(std::move(logPath))
    , m_controller(clock)
{
}

QCoro::Task<RsyncOutcome> RsyncTransfer::run(TransferListener& listener)
{
    // The listener outlives the run: the caller keeps it until this task has returned.
    auto onEvent = [&listener](const RsyncEvent& event) {
        if (event.sample)
            listener.sampled(*event.sample);
        else if (event.transferredName)
            listener.transferred(*event.transferredName);
    };
    auto running = m_controller.tryRun(m_plan, m_logPath, onEvent, [&listener] { listener.started(); });
    auto result = co_await running;
    if (result)
        co_return std::move(*result);
    RsyncOutcome unstarted;
    unstarted.exitCode = -1;
    unstarted.errors = { result.error().description() };
    unstarted.logPath = m_logPath;
    co_return unstarted;
}

} // namespace mv
