#include "model/UuidText.h"

#include <QLatin1StringView>

#include <cctype>

namespace mv {

QString uuidText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> readUuid(QByteArrayView text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
    }
    return QUuid::fromString(QLatin1StringView(text.data(), text.size()));
}

std::optional<QUuid> parseUuid(QByteArrayView text)
{
    const std::optional<QUuid> id = readUuid(text);
    if (!id || id->isNull())
        return std::nullopt;
    return id;
}

} // namespace mv
