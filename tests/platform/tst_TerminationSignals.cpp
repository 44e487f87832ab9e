#include "platform/TerminationSignals.h"
#include "support/IntegrationTimeout.h"

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace mv;

namespace {

constexpr const char* busyOwner = "--busy-owner";

// A program whose main thread never returns to its event loop after it set up the signals.
int runBusyOwner(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TerminationSignals signals;
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

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
        MV_TRY_COMPARE(received.size(), 2);
        QCOMPARE(received.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(received.at(1).at(0).toInt(), SIGINT);
    }

    // A program stuck in a long piece of work still ends when asked: the signal's default action, once the
    // owner's thread has not taken the request in time.
    void busyOwnerStillEnds()
    {
        QProcess owner;
        owner.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(busyOwner) });
        QVERIFY(owner.waitForReadyRead(60000));
        QCOMPARE(owner.readAll(), QByteArray("ready\n"));
        QCOMPARE(::kill(pid_t(owner.processId()), SIGTERM), 0);
        QVERIFY2(owner.waitForFinished(60000), "SIGTERM was never answered");
        QCOMPARE(owner.exitStatus(), QProcess::CrashExit);
        QCOMPARE(owner.exitCode(), SIGTERM);
    }
};

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], busyOwner) == 0)
        return runBusyOwner(argc, argv);
    QCoreApplication app(argc, argv);
    tst_TerminationSignals test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_TerminationSignals.moc"
