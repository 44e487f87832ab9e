#pragma once

#include "google/TransferTask.h"
#include "platform/Clock.h"

#include <memory>

#include <qcoro/qcorotask.h>

namespace mv {

// What an upload needs of the run it belongs to: the pause and cancel flags it reads between pieces, and a
// place to register the one network transfer the run may stop or hold. Thread-safe.
class UploadControl {
public:
    virtual ~UploadControl() = default;

    // Registers the transfer the uploader starts next; it is cancelled at once when the run was cancelled,
    // and suspended when the run is paused.
    virtual void setCurrentTask(std::shared_ptr<TransferTask> task) = 0;
    virtual bool cancelled() const = 0;
    virtual bool paused() const = 0;
    // Resumes once the run is not paused, looking again on `clock` at the run's poll interval.
    virtual QCoro::Task<> waitWhilePaused(Clock& clock) = 0;
};

} // namespace mv
