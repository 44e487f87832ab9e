#include "google/PercentEncoding.h"

namespace mv::PercentEncoding {

QByteArray encode(const QString& value)
{
    // With an empty include set, toPercentEncoding leaves only the unreserved characters alone.
    return value.toUtf8().toPercentEncoding();
}

QByteArray join(const Pairs& pairs)
{
    QByteArray joined;
    for (const auto& [key, value] : pairs) {
        if (!joined.isEmpty())
            joined += '&';
        joined += encode(key) + '=' + encode(value);
    }
    return joined;
}

QUrl withQuery(const QUrl& base, const Pairs& pairs)
{
    QUrl url = base;
    // StrictMode keeps the encoded bytes: QUrl would otherwise turn "%2B" back into a "+".
    url.setQuery(QString::fromLatin1(join(pairs)), QUrl::StrictMode);
    return url;
}

} // namespace mv::PercentEncoding
