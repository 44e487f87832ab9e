#include "engine/RsyncEscape.h"

#include <optional>

namespace mv::RsyncEscape {

namespace {

bool needsEscape(QStringView line, qsizetype i)
{
    const char16_t c = line.at(i).unicode();
    if (c == u'\\')
        return i + 1 < line.size() && line.at(i + 1) == u'#';
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029;
}

// The byte of a complete escape starting at `at`; none for a backslash that starts no escape.
std::optional<char> escapedByte(const QByteArray& bytes, qsizetype at)
{
    if (at + 4 >= bytes.size() || bytes[at] != '\\' || bytes[at + 1] != '#')
        return std::nullopt;
    const auto digit = [&](qsizetype i, char last) { return bytes[i] >= '0' && bytes[i] <= last; };
    if (!digit(at + 2, '3') || !digit(at + 3, '7') || !digit(at + 4, '7'))
        return std::nullopt;
    return char(((bytes[at + 2] - '0') << 6) | ((bytes[at + 3] - '0') << 3) | (bytes[at + 4] - '0'));
}

} // namespace

QByteArray encoded(const QString& line)
{
    QByteArray bytes;
    bytes.reserve(line.size());
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (!needsEscape(line, i))
            continue;
        bytes += QStringView(line).sliced(plainFrom, i - plainFrom).toUtf8();
        for (const char byte : QString(line.at(i)).toUtf8())
            bytes += QByteArrayLiteral("\\#") + QByteArray::number(uchar(byte), 8).rightJustified(3, '0');
        plainFrom = i + 1;
    }
    bytes += QStringView(line).sliced(plainFrom).toUtf8();
    return bytes;
}

QString decoded(QStringView text)
{
    if (!text.contains(u"\\#"))
        return text.toString();
    const QByteArray bytes = text.toUtf8();
    QByteArray name;
    name.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (const std::optional<char> byte = escapedByte(bytes, i)) {
            name.append(*byte);
            i += 4;
        } else {
            name.append(bytes[i]);
        }
    }
    return QString::fromUtf8(name);
}

} // namespace mv::RsyncEscape
