#pragma once

#include "engine/RunControlling.h"
#include "google/UploadControl.h"
#include "platform/Clock.h"

#include <QMutex>
#include <QObject>

#include <memory>

#include <qcoro/qcorotask.h>

namespace mv {

// The handle through which the coordinator pauses, resumes and cancels one Drive run. Control is
// cooperative: the controller records the request and acts on the one transfer the uploader registered;
// the engine and the uploader read the flags at their safe points. Cancelled is final. Thread-safe; the
// registered transfer is never called while the lock is held.
class GoogleDriveRunController final : public QObject, public RunControlling, public UploadControl {
    Q_OBJECT
public:
    // How often a paused caller looks at the flags again.
    static constexpr std::chrono::milliseconds pausePoll { 150 };

    GoogleDriveRunController() = default;

    // Registers the transfer the uploader starts next. It is cancelled at once when the run was cancelled,
    // and suspended when the run is paused. The transfer it replaces is left as it is.
    void setCurrentTask(std::shared_ptr<TransferTask> task) override;

    // Each answers false, doing nothing, once the run was cancelled; true otherwise (also for a second
    // pause, or a pause before any transfer was registered).
    bool pause() override;
    bool resume() override;
    // Also resumes a paused transfer before cancelling it, and clears the paused flag.
    bool cancel() override;

    bool cancelled() const override;
    bool paused() const override;

    // Resumes once the run is not paused (at once when it is not), looking again every pausePoll on
    // `clock`; resume() and cancel() end the wait at once.
    QCoro::Task<> waitWhilePaused(Clock& clock) override;

Q_SIGNALS:
    // After pause(), resume() or cancel() took effect; emitted from the caller's thread.
    void stateChanged();

private:
    mutable QMutex m_lock;
    std::shared_ptr<TransferTask> m_task; // the last registered; never cleared
    bool m_cancelled = false;
    bool m_paused = false;
};

} // namespace mv
