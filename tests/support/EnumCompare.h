#pragma once

#include "model/Enumerations.h"

#include <QTest>

// QCOMPARE on the model's enumerations. Qt Test's generic failure text and mv::toString (found by argument
// lookup) would be ambiguous; this overload compares the values and reports their raw strings.
namespace QTest {

template <typename E>
requires requires
{
    mv::EnumNames<E>::names;
}
inline bool qCompare(const E& actual, const E& expected, const char* actualText, const char* expectedText,
    const char* file, int line)
{
    return qCompare(mv::toString(actual), mv::toString(expected), actualText, expectedText, file, line);
}

} // namespace QTest
