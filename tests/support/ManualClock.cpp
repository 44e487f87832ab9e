#include "ManualClock.h"

#include <QCoreApplication>

#include <algorithm>

namespace mv::test {

struct ManualClock::Entry final : ClockAlarm {
    QDateTime due;
    std::function<void()> fire;
    bool done = false;
    void cancel() override { done = true; }
};

ManualClock::ManualClock(QDateTime start)
    : m_now(std::move(start))
{
}

std::shared_ptr<ClockAlarm> ManualClock::after(std::chrono::milliseconds delay, std::function<void()> fire)
{
    auto entry = std::make_shared<Entry>();
    entry->due = m_now.addMSecs(delay.count());
    entry->fire = std::move(fire);
    m_entries.push_back(entry);
    return entry;
}

void ManualClock::advance(std::chrono::milliseconds by)
{
    const QDateTime end = m_now.addMSecs(by.count());
    for (;;) {
        QCoreApplication::processEvents();
        std::erase_if(m_entries, [](const auto& e) {
            const auto entry = e.lock();
            return !entry || entry->done;
        });
        auto next = std::min_element(m_entries.begin(), m_entries.end(),
            [](const auto& a, const auto& b) { return a.lock()->due < b.lock()->due; });
        if (next == m_entries.end() || next->lock()->due > end)
            break;
        const std::shared_ptr<Entry> entry = next->lock();
        m_now = std::max(m_now, entry->due);
        entry->done = true;
        entry->fire();
    }
    m_now = end;
    QCoreApplication::processEvents();
}

int ManualClock::pendingAlarms() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const auto& e) {
        const auto entry = e.lock();
        return entry && !entry->done;
    }));
}

} // namespace mv::test
