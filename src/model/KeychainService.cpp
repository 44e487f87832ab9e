#include "model/KeychainService.h"

#include "model/UuidText.h"
#include "platform/SecretStore.h"

#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace mv::KeychainService {

namespace {

QString service()
{
    return QString::fromLatin1(serviceName);
}

// The askpass answer: the passphrase and a line feed, or nothing at all with status 1. Ends the process
// without running exit handlers, since a secret call that timed out may still be running on its thread.
[[noreturn]] void answerAskpass()
{
    const char* variable = std::getenv(askpassDestinationVariable);
    const auto destination = variable ? parseUuid(variable) : std::nullopt;
    const auto secret = destination ? passphrase(*destination) : std::nullopt;
    if (!secret)
        std::_Exit(1);
    const QByteArray answer = secret->toUtf8() + '\n';
    const bool written
        = std::fwrite(answer.constData(), 1, size_t(answer.size()), stdout) == size_t(answer.size())
        && std::fflush(stdout) == 0;
    std::_Exit(written ? 0 : 1);
}

// Nothing may reach ssh's terminal from here: libraries that would warn write into /dev/null instead.
void silenceStandardError()
{
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDERR_FILENO);
        ::close(null);
    }
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

bool handleAskpassIfRequested(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--askpass") == 0) {
            silenceStandardError();
            answerAskpass();
        }
    }
    return false;
}

} // namespace mv::KeychainService
