#include "coordination/RunEnding.h"
#include "engine/LineSplitter.h"
#include "engine/RsyncOutcome.h"
#include "engine/RsyncOutputParser.h"

#include <QtTest>

using namespace mv;

namespace {

// The outcome of a run whose standard error was the recorded fixture, read as the controller reads it.
RsyncOutcome outcomeOf(const QString& fixture, int exitCode)
{
    QFile file(qEnvironmentVariable("MV_SOURCE_DIR") + "/tests/engine/fixtures/" + fixture);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(fixture));
    LineSplitter splitter;
    RsyncOutputParser parser;
    for (const QString& line : splitter.append(file.readAll()))
        parser.consume(line);
    RsyncOutcome outcome;
    outcome.exitCode = exitCode;
    outcome.errors = parser.errors();
    return outcome;
}

} // namespace

class tst_RunEnding : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A lost connection is summed up by ssh's reason, which rsync's own broken pipe only follows from.
    void errorTextPrefersSshsReasonForALostConnection_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("summary");
        QTest::newRow("server stopped answering")
            << "rsync-ssh-timeout.err" << 10 << "Timeout, server 127.0.0.1 not responding.";
        QTest::newRow("server closed the connection")
            << "rsync-ssh-closed.err" << 12 << "Connection closed by 127.0.0.1 port 2222";
        QTest::newRow("connection refused")
            << "rsync-ssh-refused.err" << 255 << "ssh: connect to host 127.0.0.1 port 1: Connection refused";
        QTest::newRow("not about the connection")
            << "rsync-mkdir-failed.err" << 11
            << R"(rsync: [Receiver] mkdir "/tmp/fx/nothere/deeper/x" failed: No such file or directory (2))";
    }
    void errorTextPrefersSshsReasonForALostConnection()
    {
        QFETCH(QString, fixture);
        QFETCH(int, exitCode);
        QFETCH(QString, summary);
        QCOMPARE(RunEnding::errorText(outcomeOf(fixture, exitCode)), summary);
    }

    void brokenPipeWithoutSshKeepsRsyncsLine()
    {
        RsyncOutcome outcome;
        outcome.errors = { "rsync: [sender] write error: Broken pipe (32)\r", "rsync error: code 10" };
        QCOMPARE(RunEnding::errorText(outcome), "rsync: [sender] write error: Broken pipe (32)");
    }
};

QTEST_GUILESS_MAIN(tst_RunEnding)
#include "tst_RunEnding.moc"
