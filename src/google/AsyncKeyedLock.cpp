#include "google/AsyncKeyedLock.h"

#include <qcoro/qcorosignal.h>

namespace mv {

AsyncKeyedLock::Guard::Guard(AsyncKeyedLock* owner, QString key)
    : m_owner(owner)
    , m_key(std::move(key))
{
}

AsyncKeyedLock::Guard::Guard(Guard&& other) noexcept
    : m_owner(std::exchange(other.m_owner, nullptr))
    , m_key(std::move(other.m_key))
{
}

AsyncKeyedLock::Guard::~Guard()
{
    if (m_owner)
        m_owner->release(m_key);
}

QCoro::Task<AsyncKeyedLock::Guard> AsyncKeyedLock::lock(QString key)
{
    for (auto held = m_held.find(key); held != m_held.end(); held = m_held.find(key)) {
        const std::shared_ptr<AsyncKeyedLockGate> gate = held->second;
        auto opening = qCoro(gate.get(), &AsyncKeyedLockGate::opened);
        co_await opening;
    }
    m_held.emplace(key, std::make_shared<AsyncKeyedLockGate>());
    co_return Guard(this, key);
}

void AsyncKeyedLock::release(const QString& key)
{
    const auto held = m_held.find(key);
    if (held == m_held.end())
        return;
    std::shared_ptr<AsyncKeyedLockGate> gate = held->second;
    m_held.erase(held);
    // Waiters wake from the event loop, not inside the holder's scope exit.
    QMetaObject::invokeMethod(
        gate.get(), [gate] { Q_EMIT gate->opened(); }, Qt::QueuedConnection);
}

} // namespace mv
