#include "drive/GoogleDriveRunController.h"

namespace mv {

void GoogleDriveRunController::setCurrentTask(std::shared_ptr<TransferTask> task)
{
    bool cancelled = false;
    bool paused = false;
    {
        const QMutexLocker locker(&m_lock);
        m_task = task;
        cancelled = m_cancelled;
        paused = m_paused;
    }
    if (!task)
        return;
    if (cancelled)
        task->cancel();
    else if (paused)
        task->suspend();
}

bool GoogleDriveRunController::pause()
{
    std::shared_ptr<TransferTask> task;
    {
        const QMutexLocker locker(&m_lock);
        if (m_cancelled)
            return false;
        m_paused = true;
        task = m_task;
    }
    if (task)
        task->suspend();
    Q_EMIT stateChanged();
    return true;
}

bool GoogleDriveRunController::resume()
{
    std::shared_ptr<TransferTask> task;
    {
        const QMutexLocker locker(&m_lock);
        if (m_cancelled)
            return false;
        m_paused = false;
        task = m_task;
    }
    if (task)
        task->resume();
    Q_EMIT stateChanged();
    return true;
}

bool GoogleDriveRunController::cancel()
{
    std::shared_ptr<TransferTask> task;
    bool wasPaused = false;
    {
        const QMutexLocker locker(&m_lock);
        if (m_cancelled)
            return false;
        wasPaused = m_paused;
        m_cancelled = true;
        m_paused = false;
        task = m_task;
    }
    if (task) {
        // A suspended transfer would not notice its cancellation until it was resumed.
        if (wasPaused)
            task->resume();
        task->cancel();
    }
    Q_EMIT stateChanged();
    return true;
}

bool GoogleDriveRunController::cancelled() const
{
    const QMutexLocker locker(&m_lock);
    return m_cancelled;
}

bool GoogleDriveRunController::paused() const
{
    const QMutexLocker locker(&m_lock);
    return m_paused;
}

QCoro::Task<> GoogleDriveRunController::waitWhilePaused(Clock& clock)
{
    // cancel() clears the paused flag, so a cancelled run ends the wait too.
    while (paused()) {
        Sleep step(clock, pausePoll);
        // Queued: the caller of resume() or cancel() never runs the waiting run's code itself.
        connect(this, &GoogleDriveRunController::stateChanged, &step, &Sleep::wake, Qt::QueuedConnection);
        QCoro::Task<> waiting = step.wait();
        co_await waiting;
    }
}

} // namespace mv
