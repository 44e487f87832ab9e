#include "model/ConfigurationCoding.h"
#include "support/BuiltPrograms.h"
#include "support/IntegrationTimeout.h"
#include "support/StartedProcess.h"
#include "support/TempDir.h"
#include "support/ui/XvfbDisplay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QUuid>
#include <QtTest>

#include <csignal>
#include <cstdio>

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

// How an ended program answered SIGTERM: through its quit path when it could take the request, else by the
// signal's default action; empty for any other ending.
QString endingOf(const QProcess& program)
{
    if (program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0)
        return QStringLiteral("through the quit path");
    if (program.exitStatus() == QProcess::CrashExit && program.exitCode() == SIGTERM)
        return QStringLiteral("by the signal's default action");
    return {};
}

// Whether a visible window of the program is at least `width` wide: its tray icon at 1, its dashboard at 880.
bool showsWindow(int width)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), { "search", "--onlyvisible", "--classname", "marrowvale" });
    search.waitForFinished();
    for (const QByteArray& window : search.readAllStandardOutput().split('\n')) {
        if (window.isEmpty())
            continue;
        QProcess geometry;
        geometry.start(
            QStringLiteral("xdotool"), { "getwindowgeometry", "--shell", QString::fromLatin1(window) });
        geometry.waitForFinished();
        for (const QByteArray& line : geometry.readAllStandardOutput().split('\n'))
            if (line.startsWith("WIDTH=") && line.mid(6).toInt() >= width)
                return true;
    }
    return false;
}

bool trayIsUp()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), { "search", "--classname", "trayer" });
    search.waitForFinished();
    return search.exitCode() == 0;
}

QProcessEnvironment programEnvironment(const test::TempDir& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
        environment.insert(variable, home.path());
    environment.insert("MARROWVALE_SUPPORT_DIR", home.filePath("support"));
    return environment;
}

// The answer of SQLite's integrity check of `database`.
QByteArray integrityOf(const QString& database)
{
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), { "-readonly", database, "PRAGMA integrity_check" });
    sqlite.waitForFinished();
    return sqlite.readAllStandardOutput().trimmed();
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

        QProcessEnvironment environment = programEnvironment(home);
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
        QVERIFY2(!endingOf(program).isEmpty(), qPrintable(QStringLiteral("exit %1").arg(program.exitCode())));

        // Either way the document is whole.
        const auto read = ConfigurationCoding::decode(
            test::TempDir::read(home.filePath("support/config.json")), QDateTime::currentDateTimeUtc());
        QVERIFY(read);
        QCOMPARE(read->jobs.size(), jobs);
        QCOMPARE(read->jobs.first().name.size(), nameLength);
    }

    void endsSoonAfterItsWindowsShow_data()
    {
        QTest::addColumn<bool>("tray");
        QTest::newRow("10,000 jobs with a tray") << true;
        QTest::newRow("10,000 jobs without a tray") << false;
    }

    // Thousands of jobs once made as many cards and rows at the launch, and their teardown held the ending
    // for a minute after the request. Asked to end once its icon (or, without a tray, its dashboard) shows,
    // the program ends, with its document and history whole. How and how soon it ended is reported;
    // bench_startup holds the time to two seconds in a release build.
    void endsSoonAfterItsWindowsShow()
    {
        QFETCH(bool, tray);
        constexpr int jobs = 10'000;
        test::TempDir home;
        home.write("support/config.json", documentOf(jobs, "Documents"));
        test::StartedProcess trayer;
        if (tray) {
            trayer.process.start(QStringLiteral("trayer"),
                { "--edge", "bottom", "--align", "right", "--widthtype", "request" });
            QVERIFY(trayer.process.waitForStarted());
            MV_TRY_VERIFY(trayIsUp());
        }

        QProcess program;
        QProcessEnvironment environment = programEnvironment(home);
        environment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(test::builtProgram("marrowvale"));
        QVERIFY(program.waitForStarted());
        MV_TRY_VERIFY(showsWindow(tray ? 1 : 880));

        QElapsedTimer sinceRequest;
        sinceRequest.start();
        QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
        QVERIFY2(program.waitForFinished(int(test::integrationTimeout.count())),
            "the program did not end after SIGTERM");
        const QString ending = endingOf(program);
        QVERIFY2(!ending.isEmpty(), qPrintable(QStringLiteral("exit %1").arg(program.exitCode())));
        std::printf("SIGTERM to end with %d jobs %s: %lld ms, %s\n", jobs,
            tray ? "and a tray" : "without a tray", sinceRequest.elapsed(), qPrintable(ending));

        const auto read = ConfigurationCoding::decode(
            test::TempDir::read(home.filePath("support/config.json")), QDateTime::currentDateTimeUtc());
        QVERIFY(read);
        QCOMPARE(read->jobs.size(), jobs);
        QCOMPARE(integrityOf(home.filePath("support/history.sqlite")), QByteArray("ok"));
    }
};

int main(int argc, char** argv)
{
    // The program with a tray needs a display; the launch cases above choose Qt's offscreen platform.
    test::XvfbDisplay display;
    if (!display.start()) {
        std::fprintf(stderr, "tst_TerminationDuringLaunch: Xvfb could not be started\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    test::StartedProcess openbox;
    openbox.process.start(QStringLiteral("openbox"), { "--sm-disable" });
    if (!openbox.process.waitForStarted()) {
        std::fprintf(stderr, "tst_TerminationDuringLaunch: openbox could not be started\n");
        return 1;
    }
    tst_TerminationDuringLaunch test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_TerminationDuringLaunch.moc"
