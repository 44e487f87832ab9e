#include "model/HistoryQueue.h"

namespace mv {

HistoryQueue::HistoryQueue()
    : m_thread([this] { serve(); })
{
}

HistoryQueue::~HistoryQueue()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_posted.notify_one();
    m_thread.join();
}

void HistoryQueue::post(Task task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_one();
}

void HistoryQueue::serve()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_posted.wait(lock, [this] { return m_closing || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        const bool closing = m_closing;
        lock.unlock();
        const bool more = task(closing);
        lock.lock();
        if (more)
            m_tasks.push_back(std::move(task));
    }
}

} // namespace mv
