#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace mv {

// One thread of the run history running tasks in the order they were posted. A task that answers true has
// more to do and goes to the back of the queue, so what was posted after it runs in between: a long
// deletion never holds a run's rows behind it.
class HistoryQueue {
public:
    // `closing` is true once the queue is being destroyed: a task that may be left unfinished then answers
    // false to stop.
    using Task = std::function<bool(bool closing)>;

    HistoryQueue();
    // Runs every task still queued, then ends the thread.
    ~HistoryQueue();
    HistoryQueue(const HistoryQueue&) = delete;
    HistoryQueue& operator=(const HistoryQueue&) = delete;

    void post(Task task);

private:
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Task> m_tasks;
    bool m_closing = false;
    std::thread m_thread; // last, so it starts once the rest is ready
};

} // namespace mv
