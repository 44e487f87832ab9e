#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>

#include <qcoro/qcorotask.h>

namespace mv {

// A pending call made by Clock::after. Cancelling it, or destroying the last handle, means it never fires.
class ClockAlarm {
public:
    virtual ~ClockAlarm() = default;
    virtual void cancel() = 0;
};

// The time and the delays the program uses (debounced saves, retry waits, the finished-run hold), behind
// one seam so tests can move time by hand instead of sleeping.
class Clock {
public:
    virtual ~Clock() = default;

    virtual QDateTime now() const = 0;

    // Calls `fire` on the current thread's event loop once `delay` has passed.
    [[nodiscard]] virtual std::shared_ptr<ClockAlarm> after(
        std::chrono::milliseconds delay, std::function<void()> fire)
        = 0;

    // The real clock: QDateTime::currentDateTimeUtc() and QTimer.
    static Clock& system();
};

// One wait on a Clock that someone else may end early (a cancelled retry wait ends at once).
class Sleep : public QObject {
    Q_OBJECT
public:
    Sleep(Clock& clock, std::chrono::milliseconds delay, QObject* parent = nullptr);

    // Ends the wait now; a second call, or a call after the delay passed, does nothing.
    void wake();
    bool isFinished() const { return m_finished; }

    // Resumes when the delay has passed or wake() was called.
    QCoro::Task<> wait();

Q_SIGNALS:
    void finished();

private:
    std::shared_ptr<ClockAlarm> m_alarm;
    bool m_finished = false;
};

// Suspends the calling coroutine for `delay` on `clock`.
QCoro::Task<> sleepFor(Clock& clock, std::chrono::milliseconds delay);

} // namespace mv
