#include "platform/TerminationSignals.h"

#include <QtTest>

#include <csignal>

using namespace mv;

class tst_TerminationSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each signal arrives on the event loop, in order, and the process lives on to act on it.
    void signalsReachTheEventLoop()
    {
        TerminationSignals signals;
        QSignalSpy received(&signals, &TerminationSignals::received);
        ::raise(SIGTERM);
        ::raise(SIGINT);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(received.at(1).at(0).toInt(), SIGINT);
    }
};

QTEST_GUILESS_MAIN(tst_TerminationSignals)
#include "tst_TerminationSignals.moc"
