#include "CountingSecretBackend.h"

namespace mv::test {

SecretBackend::Lookup CountingSecretBackend::lookup(const QString& account)
{
    ++lookups;
    if (failLookups)
        return { Outcome::failed, {} };
    const QMutexLocker lock(&m_mutex);
    if (const auto found = m_items.constFind(account); found != m_items.constEnd())
        return { Outcome::found, *found };
    return { Outcome::notFound, {} };
}

bool CountingSecretBackend::store(const QString& account, const QString& value)
{
    ++stores;
    const QMutexLocker lock(&m_mutex);
    if (m_refused == account || m_refused == QLatin1String("*"))
        return false;
    m_items.insert(account, value);
    return true;
}

void CountingSecretBackend::refuseStores(const QString& account)
{
    const QMutexLocker lock(&m_mutex);
    m_refused = account;
}

bool CountingSecretBackend::remove(const QString& account)
{
    ++removals;
    const QMutexLocker lock(&m_mutex);
    return m_items.remove(account) > 0;
}

std::optional<QString> CountingSecretBackend::stored(const QString& account) const
{
    const QMutexLocker lock(&m_mutex);
    if (const auto found = m_items.constFind(account); found != m_items.constEnd())
        return *found;
    return std::nullopt;
}

} // namespace mv::test
