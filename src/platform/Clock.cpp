#include "platform/Clock.h"

#include <QTimer>

#include <qcoro/qcorosignal.h>

namespace mv {

namespace {

class TimerAlarm final : public ClockAlarm {
public:
    TimerAlarm(std::chrono::milliseconds delay, std::function<void()> fire)
        : m_timer(std::make_unique<QTimer>())
    {
        m_timer->setSingleShot(true);
        m_timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(m_timer.get(), &QTimer::timeout, [fire = std::move(fire)] { fire(); });
        m_timer->start(delay);
    }
    void cancel() override { m_timer->stop(); }

private:
    std::unique_ptr<QTimer> m_timer;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    std::shared_ptr<ClockAlarm> after(std::chrono::milliseconds delay, std::function<void()> fire) override
    {
        return std::make_shared<TimerAlarm>(delay, std::move(fire));
    }
};

} // namespace

Clock& Clock::system()
{
    static SystemClock clock;
    return clock;
}

Sleep::Sleep(Clock& clock, std::chrono::milliseconds delay, QObject* parent)
    : QObject(parent)
{
    m_alarm = clock.after(delay, [self = QPointer<Sleep>(this)] {
        if (self)
            self->wake();
    });
}

void Sleep::wake()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_alarm)
        m_alarm->cancel();
    Q_EMIT finished();
}

QCoro::Task<> Sleep::wait()
{
    if (m_finished)
        co_return;
    auto finishedSignal = qCoro(this, &Sleep::finished);
    co_await finishedSignal;
}

QCoro::Task<> sleepFor(Clock& clock, std::chrono::milliseconds delay)
{
    Sleep sleep(clock, delay);
    QCoro::Task<> waiting = sleep.wait();
    co_await waiting;
}

} // namespace mv
