#pragma once

#include "platform/Clock.h"

#include <vector>

namespace mv::test {

// A clock that stands still until the test moves it. Alarms fire, in deadline order, only inside advance().
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(8, 21), Qt::UTC));

    QDateTime now() const override { return m_now; }
    std::shared_ptr<ClockAlarm> after(std::chrono::milliseconds delay, std::function<void()> fire) override;

    // Moves time forward, firing every alarm that falls due on the way (and lets their coroutines resume).
    void advance(std::chrono::milliseconds by);
    void set(const QDateTime& now) { m_now = now; }
    // Alarms set and neither fired nor cancelled.
    int pendingAlarms() const;

private:
    struct Entry;
    QDateTime m_now;
    // Held weakly, as the real clock's timers are: an alarm whose last handle is gone never fires.
    std::vector<std::weak_ptr<Entry>> m_entries;
};

} // namespace mv::test
