#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace mv {

// Makes a burst of requests one call: the first request starts a single-shot wait of `delay` (the next turn
// of the event loop for none), and every request until it ends is answered by that one call.
class CoalescedCall {
public:
    CoalescedCall(QObject* context, std::function<void()> call, std::chrono::milliseconds delay = {})
        : m_call(std::move(call))
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(delay);
        QObject::connect(&m_timer, &QTimer::timeout, context, [this] { m_call(); });
    }

    void request()
    {
        if (!m_timer.isActive())
            m_timer.start();
    }
    // Answers a pending request now.
    void flush()
    {
        if (m_timer.isActive()) {
            m_timer.stop();
            m_call();
        }
    }

private:
    std::function<void()> m_call;
    QTimer m_timer;
};

} // namespace mv
