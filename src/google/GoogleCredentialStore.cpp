#include "google/GoogleCredentialStore.h"

#include "google/SecretBackend.h"
#include "platform/WorkerPool.h"

#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>

namespace mv {

namespace {

std::optional<QLatin1StringView> environmentVariable(const QString& account)
{
    if (account == GoogleCredentialStore::clientSecret)
        return QLatin1StringView("MARROWVALE_GOOGLE_CLIENT_SECRET");
    if (account == GoogleCredentialStore::refreshToken)
        return QLatin1StringView("MARROWVALE_GOOGLE_REFRESH_TOKEN");
    if (account == GoogleCredentialStore::accountEmail)
        return QLatin1StringView("MARROWVALE_GOOGLE_ACCOUNT");
    return std::nullopt;
}

} // namespace

GoogleCredentialStore::GoogleCredentialStore(SecretBackend& backend)
    : m_backend(backend)
{
}

bool GoogleCredentialStore::isEphemeral()
{
    return qEnvironmentVariable("MARROWVALE_GOOGLE_EPHEMERAL") == QLatin1String("1");
}

std::optional<QString> GoogleCredentialStore::readEphemeral(const QString& account) const
{
    const std::lock_guard lock(m_lock);
    if (const auto found = m_ephemeral.constFind(account); found != m_ephemeral.constEnd())
        return *found;
    const std::optional<QLatin1StringView> variable = environmentVariable(account);
    if (!variable)
        return std::nullopt;
    const QString value = qEnvironmentVariable(variable->data());
    if (value.isEmpty())
        return std::nullopt;
    m_ephemeral.insert(account, value);
    return value;
}

std::optional<std::optional<QString>> GoogleCredentialStore::fromCache(const QString& account) const
{
    const std::lock_guard lock(m_lock);
    if (const auto found = m_cached.constFind(account); found != m_cached.constEnd())
        return std::optional<QString>(*found);
    if (m_absent.contains(account))
        return std::optional<QString>();
    return std::nullopt;
}

std::optional<QString> GoogleCredentialStore::cachedValue(const QString& account) const
{
    if (isEphemeral())
        return readEphemeral(account);
    return fromCache(account).value_or(std::nullopt);
}

QCoro::Task<std::optional<QString>> GoogleCredentialStore::read(QString account)
{
    if (isEphemeral())
        co_return readEphemeral(account);
    if (std::optional<std::optional<QString>> cached = fromCache(account))
        co_return *cached;

    SecretBackend& backend = m_backend;
    QFuture<SecretBackend::Lookup> asking
        = QtConcurrent::run(&WorkerPool::instance(), [&backend, account] { return backend.lookup(account); });
    const SecretBackend::Lookup found = co_await asking;

    const std::lock_guard lock(m_lock);
    switch (found.outcome) {
    case SecretBackend::Outcome::found:
        m_cached.insert(account, found.value);
        m_absent.remove(account);
        co_return found.value;
    case SecretBackend::Outcome::notFound:
        m_cached.remove(account);
        m_absent.insert(account);
        co_return std::nullopt;
    case SecretBackend::Outcome::failed:
        break;
    }
    co_return std::nullopt;
}

QCoro::Task<bool> GoogleCredentialStore::save(QString value, QString account)
{
    if (isEphemeral()) {
        const std::lock_guard lock(m_lock);
        m_ephemeral.insert(account, value);
        co_return true;
    }
    SecretBackend& backend = m_backend;
    QFuture<bool> storing = QtConcurrent::run(
        &WorkerPool::instance(), [&backend, account, value] { return backend.store(account, value); });
    const bool stored = co_await storing;
    if (stored) {
        const std::lock_guard lock(m_lock);
        m_cached.insert(account, value);
        m_absent.remove(account);
    }
    co_return stored;
}

QCoro::Task<bool> GoogleCredentialStore::remove(QString account)
{
    if (isEphemeral()) {
        const std::lock_guard lock(m_lock);
        m_ephemeral.remove(account);
        co_return true;
    }
    SecretBackend& backend = m_backend;
    QFuture<bool> removing
        = QtConcurrent::run(&WorkerPool::instance(), [&backend, account] { return backend.remove(account); });
    const bool removed = co_await removing;
    const std::lock_guard lock(m_lock);
    m_cached.remove(account);
    m_absent.remove(account);
    co_return removed;
}

} // namespace mv
