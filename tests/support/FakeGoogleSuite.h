#pragma once

#include "FakeGoogleServer.h"

#include <QObject>

namespace mv::test {

// A suite that talks to the fake Google server: one server for the whole suite, reset before each test,
// and each test fails if the program broke the wire protocol. Qt Test runs these slots for the derived
// suite; a suite that declares its own init() or initTestCase() hides them and does their part itself.
class FakeGoogleSuite : public QObject {
    Q_OBJECT

protected:
    FakeGoogleServer m_server;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
};

} // namespace mv::test
