#include "google/SecretBackend.h"

#include "platform/SecretStore.h"

#include <QStringDecoder>

namespace mv {

namespace {

const QString service = QString::fromLatin1(googleKeyringService);

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

SecretBackend::Lookup KeyringSecretBackend::lookup(const QString& account)
{
    const SecretStore::Lookup found = SecretStore::find(service, account);
    switch (found.outcome) {
    case SecretStore::LookupOutcome::found:
        if (std::optional<QString> text = decodeUtf8(found.secret))
            return { Outcome::found, *text };
        return { Outcome::failed, {} };
    case SecretStore::LookupOutcome::notFound:
        return { Outcome::notFound, {} };
    case SecretStore::LookupOutcome::failed:
        break;
    }
    return { Outcome::failed, {} };
}

bool KeyringSecretBackend::store(const QString& account, const QString& value)
{
    return SecretStore::store(service, account, value.toUtf8());
}

bool KeyringSecretBackend::remove(const QString& account)
{
    return SecretStore::erase(service, account) == SecretStore::RemoveOutcome::removed;
}

} // namespace mv
