#pragma once

#include "engine/RsyncProcessController.h"
#include "engine/RunPlan.h"
#include "engine/Transfer.h"

namespace mv {

class Clock;

// A planned run as one rsync child, driven through the rsync controller. It and the listener must outlive
// run().
class RsyncTransfer final : public Transfer {
public:
    RsyncTransfer(RunPlan plan, QString logPath, Clock& clock);

    QCoro::Task<RsyncOutcome> run(TransferListener& listener) override;

    bool pause() override { return m_controller.pause(); }
    bool resume() override { return m_controller.resume(); }
    bool cancel() override { return m_controller.cancel(); }

private:
    RunPlan m_plan;
    QString m_logPath;
    RsyncProcessController m_controller;
};

} // namespace mv
