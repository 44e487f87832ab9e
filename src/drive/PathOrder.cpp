#include "drive/PathOrder.h"

#include <algorithm>

namespace mv::PathOrder {

namespace {

// Below U+0300 there are no combining marks, and nothing composes with a character unless a mark or a
// conjoining jamo (above it) follows: such text is in NFC already.
constexpr char16_t firstComposingUnit = 0x0300;

// UTF-16 units reordered so that comparing them compares scalar values: surrogates (U+D800...U+DFFF) stand
// for scalars above U+FFFF, so they must sort after U+E000...U+FFFF.
char16_t scalarRank(char16_t unit)
{
    if (unit < 0xD800)
        return unit;
    return unit >= 0xE000 ? char16_t(unit - 0x800) : char16_t(unit + 0x2000);
}

} // namespace

QString key(const QString& path)
{
    const bool settled
        = std::ranges::all_of(QStringView(path), [](QChar c) { return c.unicode() < firstComposingUnit; });
    return settled ? path : path.normalized(QString::NormalizationForm_C);
}

bool keyLess(QStringView a, QStringView b)
{
    const auto [inA, inB] = std::ranges::mismatch(a, b);
    if (inB == b.end())
        return false;
    if (inA == a.end())
        return true;
    return scalarRank(inA->unicode()) < scalarRank(inB->unicode());
}

bool less(const QString& a, const QString& b)
{
    return keyLess(key(a), key(b));
}

} // namespace mv::PathOrder
