#include "model/ConfigurationCoding.h"
#include "support/BuiltPrograms.h"
#include "support/IntegrationTimeout.h"
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>
#include <QUuid>
#include <QtTest>

#include <csignal>

using namespace mv;

namespace {

// A job as config.json holds it, with `name` as its name.
QByteArray jobObject(const QByteArray& name)
{
    const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    const QByteArray destination = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    return R"({"id": ")" + id + R"(", "name": ")" + name
        + R"(", "source": {"path": "/home/ana/Documents", "displayName": "Documents"},)"
          R"( "destinations": [{"id": ")"
        + destination
        + R"(", "name": "Disk", "path": "/mnt/disk/Documents", "lastResult": "success",)"
          R"( "lastSuccess": "2026-12-09T08:21:00Z", "schedule": {"kind": "daily", "hour": 2,)"
          R"( "minute": 0, "weekday": 2, "customMinutes": 60}}]})";
}

QByteArray documentOf(int jobs, const QByteArray& firstName)
{
    QByteArrayList objects;
    objects.reserve(jobs);
    objects.append(jobObject(firstName));
    for (int i = 1; i < jobs; ++i)
        objects.append(jobObject("Job " + QByteArray::number(i)));
    return R"({"jobs": [)" + objects.join(", ") + "]}";
}

// Whether `pid` has its own handler for SIGTERM yet: from then on the program, not the default action, ends
// it.
bool catchesTermination(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

} // namespace

class tst_TerminationDuringLaunch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void endsCalmlyWhenAskedDuringLaunch_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("nameLength");
        QTest::newRow("30,000 jobs") << 30'000 << 5;
        QTest::newRow("a job name of 50 million characters") << 3 << 50'000'000;
    }

    // A huge document once held the launch for minutes, and the request to end with it. The program asked to
    // end while it starts ends, and its document is left whole.
    void endsCalmlyWhenAskedDuringLaunch()
    {
        QFETCH(int, jobs);
        QFETCH(int, nameLength);
        test::TempDir home;
        home.write("support/config.json", documentOf(jobs, QByteArray(nameLength, 'n')));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            environment.insert(variable, home.path());
        environment.insert("MARROWVALE_SUPPORT_DIR", home.filePath("support"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(test::builtProgram("marrowvale"));
        QVERIFY(program.waitForStarted());
        MV_TRY_VERIFY(catchesTermination(program.processId()));

        QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
        QVERIFY2(program.waitForFinished(int(test::integrationTimeout.count())),
            "the program did not end after SIGTERM");
        // Through the quit path when the program could take the request, else by the signal's default action.
        const bool calm = program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
        const bool byDefault = program.exitStatus() == QProcess::CrashExit && program.exitCode() == SIGTERM;
        QVERIFY2(calm || byDefault, qPrintable(QStringLiteral("exit %1").arg(program.exitCode())));

        // Either way the document is whole.
        const auto read = ConfigurationCoding::decode(
            test::TempDir::read(home.filePath("support/config.json")), QDateTime::currentDateTimeUtc());
        QVERIFY(read);
        QCOMPARE(read->jobs.size(), jobs);
        QCOMPARE(read->jobs.first().name.size(), nameLength);
    }
};

QTEST_GUILESS_MAIN(tst_TerminationDuringLaunch)
#include "tst_TerminationDuringLaunch.moc"
