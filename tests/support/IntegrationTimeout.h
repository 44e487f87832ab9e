#pragma once

#include <QTest>

#include <chrono>

namespace mv::test {

// How long an integration test waits for something it can observe (a child's pid, a phase, a row) before
// it fails. Sized for a sanitizer build on two busy cores, where a real rsync or ssh child can take many
// times longer than on an idle machine; a passing test never waits it out.
inline constexpr std::chrono::milliseconds integrationTimeout { 60'000 };

} // namespace mv::test

// QTRY_COMPARE and QTRY_VERIFY with the integration timeout.
#define MV_TRY_COMPARE(expr, expected)                                                                       \
    QTRY_COMPARE_WITH_TIMEOUT(expr, expected, int(mv::test::integrationTimeout.count()))
#define MV_TRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, int(mv::test::integrationTimeout.count()))
