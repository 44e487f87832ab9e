#include "google/OAuthPkce.h"

#include "google/GoogleAuthError.h"

#include <cerrno>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <sys/random.h>

namespace mv {

namespace {

bool fillFromKernel(QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + done, size_t(bytes.size() - done), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

QByteArray sha256(const QByteArray& bytes)
{
    QByteArray digest(EVP_MAX_MD_SIZE, '\0');
    unsigned int length = 0;
    if (EVP_Digest(bytes.constData(), size_t(bytes.size()), reinterpret_cast<unsigned char*>(digest.data()),
            &length, EVP_sha256(), nullptr)
        != 1)
        throw GoogleAuthError::server(QStringLiteral("Could not compute the sign-in challenge."));
    digest.truncate(length);
    return digest;
}

} // namespace

QByteArray OAuthPkce::randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), count) == 1)
        return bytes;
    if (fillFromKernel(bytes))
        return bytes;
    throw GoogleAuthError::server(QStringLiteral("The system gave no secure random bytes."));
}

QString OAuthPkce::base64Url(const QByteArray& bytes)
{
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString OAuthPkce::challengeFor(const QString& verifier)
{
    return base64Url(sha256(verifier.toUtf8()));
}

OAuthPkce OAuthPkce::make()
{
    OAuthPkce values;
    values.state = base64Url(randomBytes(24));
    values.verifier = base64Url(randomBytes(48));
    values.challenge = challengeFor(values.verifier);
    return values;
}

} // namespace mv
