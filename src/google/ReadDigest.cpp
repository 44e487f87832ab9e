#include "google/ReadDigest.h"

#include <openssl/evp.h>

#include <array>

namespace mv {

void ReadDigest::ContextDeleter::operator()(evp_md_ctx_st* context) const
{
    EVP_MD_CTX_free(context);
}

ReadDigest::ReadDigest()
    : m_context(EVP_MD_CTX_new())
{
    m_broken = !m_context || EVP_DigestInit_ex(m_context.get(), EVP_md5(), nullptr) != 1;
}

ReadDigest::~ReadDigest() = default;

void ReadDigest::add(qint64 offset, QByteArrayView bytes)
{
    if (m_broken)
        return;
    if (offset > m_counted) {
        m_broken = true;
        return;
    }
    const qint64 end = offset + bytes.size();
    if (end <= m_counted)
        return;
    const QByteArrayView fresh = bytes.sliced(m_counted - offset);
    if (EVP_DigestUpdate(m_context.get(), fresh.data(), size_t(fresh.size())) != 1) {
        m_broken = true;
        return;
    }
    m_counted = end;
}

std::optional<QString> ReadDigest::hex(qint64 size) const
{
    if (m_broken || m_counted != size)
        return std::nullopt;
    // Finishing on a copy leaves this digest as it was.
    const std::unique_ptr<evp_md_ctx_st, ContextDeleter> copy(EVP_MD_CTX_new());
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest {};
    unsigned int length = 0;
    if (!copy || EVP_MD_CTX_copy_ex(copy.get(), m_context.get()) != 1
        || EVP_DigestFinal_ex(copy.get(), digest.data(), &length) != 1)
        return std::nullopt;
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char*>(digest.data()), int(length)).toHex());
}

} // namespace mv
