#include "FakeGoogleSuite.h"

#include <QTest>

namespace mv::test {

void FakeGoogleSuite::initTestCase()
{
    QVERIFY(m_server.isRunning());
}

void FakeGoogleSuite::init()
{
    m_server.reset();
}

void FakeGoogleSuite::cleanup()
{
    const QStringList violations = m_server.violations();
    QVERIFY2(violations.isEmpty(), qPrintable(violations.join('\n')));
}

} // namespace mv::test
