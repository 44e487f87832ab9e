#include "model/KeychainService.h"

#include "model/UuidText.h"
#include "platform/SecretStore.h"

#include <QStringDecoder>

namespace mv::KeychainService {

namespace {

QString service()
{
    return QString::fromLatin1(serviceName);
}

} // namespace

QString account(const QUuid& destinationID)
{
    return uuidText(destinationID);
}

std::optional<QString> passphrase(const QUuid& destinationID)
{
    const auto bytes = SecretStore::lookup(service(), account(destinationID));
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool savePassphrase(const QString& passphrase, const QUuid& destinationID)
{
    return SecretStore::store(service(), account(destinationID), passphrase.toUtf8());
}

bool deletePassphrase(const QUuid& destinationID)
{
    return SecretStore::remove(service(), account(destinationID));
}

} // namespace mv::KeychainService
