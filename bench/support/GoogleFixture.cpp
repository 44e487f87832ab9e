#include "GoogleFixture.h"

#include "platform/Clock.h"

#include <qcoro/qcorotask.h>

namespace mv::bench {

SecretBackend::Lookup MemorySecrets::lookup(const QString& account)
{
    const QMutexLocker lock(&m_mutex);
    const auto found = m_values.constFind(account);
    return found == m_values.cend() ? Lookup { Outcome::notFound, {} } : Lookup { Outcome::found, *found };
}

bool MemorySecrets::store(const QString& account, const QString& value)
{
    const QMutexLocker lock(&m_mutex);
    m_values.insert(account, value);
    return true;
}

bool MemorySecrets::remove(const QString& account)
{
    const QMutexLocker lock(&m_mutex);
    return m_values.remove(account) > 0;
}

GoogleFixture::GoogleFixture(ConfigurationStore& store, const QUrl& origin, const QString& support)
    : endpoints(GoogleEndpoints::at(origin))
    , auth(store, credentials, network, browser, endpoints, Clock::system(), log)
    , resume(support + QStringLiteral("/google-resume.json"), Clock::system(), log)
{
}

bool GoogleFixture::signIn(const QString& clientFile, const QString& refreshToken, const QString& account)
{
    QCoro::waitFor(auth.importClientFile(clientFile));
    QCoro::waitFor(credentials.save(refreshToken, QString(GoogleCredentialStore::refreshToken)));
    QCoro::waitFor(credentials.save(account, QString(GoogleCredentialStore::accountEmail)));
    QCoro::waitFor(auth.load());
    return auth.account().has_value();
}

GoogleDriveServices GoogleFixture::services()
{
    return { auth, credentials, { &network, endpoints.driveApiBase, {}, endpoints.uploadBase }, log, resume };
}

} // namespace mv::bench
