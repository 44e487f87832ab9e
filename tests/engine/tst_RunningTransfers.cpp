#include "engine/PlanBuilder.h"
#include "engine/RsyncProcessController.h"
#include "engine/RunningTransfers.h"
#include "platform/FileDescriptor.h"
#include "platform/Subprocess.h"
#include "support/FileMode.h"
#include "support/IntegrationTimeout.h"
#include "support/TempDir.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <qcoro/qcorotask.h>

#include <csignal>
#include <cstring>
#include <vector>

#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

SubprocessSpec specOf(const QString& executable, const QStringList& arguments)
{
    return SubprocessSpec { .executable = executable,
        .arguments = arguments,
        .environment = PlanBuilder::childEnvironment(),
        .output = SubprocessOutput::discarded,
        .niceness = 0,
        .onStdout = {},
        .onStderr = {} };
}

// A real rsync copying slowly: a writer with the child processes it starts itself.
struct SlowCopy {
    test::TempDir dir;
    QString source = dir.write(QStringLiteral("source/big.bin"), QByteArray(8'000'000, 'b'));
    QStringList arguments { QStringLiteral("--recursive"), QStringLiteral("--bwlimit=200"),
        dir.filePath(QStringLiteral("source/")), dir.filePath(QStringLiteral("backup")) };
};

// The pids of the live processes in process group `group`.
QList<pid_t> membersOf(pid_t group)
{
    QList<pid_t> members;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(name));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[2].toInt() == group)
            members.append(name.toInt());
    }
    return members;
}

QStringList records(const QString& supportFolder)
{
    return QDir(RunningTransfers::recordFolder(supportFolder)).entryList(QDir::Files);
}

// The argument that makes this test program stand in for Marrowvale: it runs one slow backup run of
// its arguments (support folder, source, target) through the rsync controller and never returns.
constexpr char runTransferSwitch[] = "--run-transfer";

int runTransfer(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    RunPlan plan;
    plan.executable = QStringLiteral("/usr/bin/rsync");
    plan.arguments = { QStringLiteral("--recursive"), QStringLiteral("--bwlimit=100"),
        QStringLiteral("--partial-dir=.rsync-partial"), QStringLiteral("--temp-dir=.rsync-partial"),
        QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]) };
    plan.environment = PlanBuilder::childEnvironment();
    RsyncProcessController controller;
    controller.recordChildrenIn(QString::fromLocal8Bit(argv[2]));
    auto running = controller.run(plan, QString::fromLocal8Bit(argv[2]) + QStringLiteral("/run.log"), {});
    return application.exec();
}

// Waits until every process held by `pidFds` has ended; false when one outlived the integration timeout.
bool allEnd(const std::vector<FileDescriptor>& pidFds)
{
    for (const FileDescriptor& pidFd : pidFds) {
        pollfd entry { pidFd.get(), POLLIN, 0 };
        if (::poll(&entry, 1, int(test::integrationTimeout.count())) != 1)
            return false;
    }
    return true;
}

} // namespace

class tst_RunningTransfers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What an earlier process left writing is stopped with everything it started, and its record goes; a
    // child that ignores SIGTERM is killed once the grace time has passed.
    void launchStopsWhatAnEarlierProcessLeftWriting_data()
    {
        QTest::addColumn<bool>("deaf");
        QTest::newRow("rsync and its children") << false;
        QTest::newRow("deaf to SIGTERM") << true;
    }
    void launchStopsWhatAnEarlierProcessLeftWriting()
    {
        QFETCH(bool, deaf);
        const SlowCopy copy;
        const test::TempDir support;
        const QString executable = deaf ? QStringLiteral("/bin/sh") : QStringLiteral("/usr/bin/rsync");
        const QStringList arguments = deaf ? QStringList { QStringLiteral("-c"),
            QStringLiteral("trap '' TERM; /bin/sleep 600; /bin/sleep 600") }
                                           : copy.arguments;
        auto started = Subprocess::start(specOf(executable, arguments));
        QVERIFY(started);
        Subprocess& leftover = **started;
        MV_TRY_VERIFY(membersOf(leftover.pid()).size() >= 2);
        const auto recorded = RunningTransfers::record(support.path(), leftover.pid());
        QVERIFY2(recorded, qPrintable(recorded ? QString() : recorded.error()));
        QCOMPARE(test::permissionBits(*recorded), 0600);
        const qsizetype members = membersOf(leftover.pid()).size();

        const RunningTransfers::LeftoverStop stop = RunningTransfers::stopLeftovers(support.path(), 300ms);
        QCOMPARE(stop.problems, QStringList());
        QCOMPARE(stop.stopped, members);
        const int status = leftover.wait();
        if (deaf)
            QCOMPARE(status, 128 + SIGKILL);
        else
            QVERIFY(status != 0);
        QCOMPARE(membersOf(leftover.pid()), QList<pid_t>());
        QCOMPARE(records(support.path()), QStringList());
    }

    // A record whose pid now stands for another process (a reboot, a recycled pid, another program) is
    // dropped without a signal to anyone.
    void aRecycledPidIsNeverTouched_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QJsonValue>("value");
        QTest::newRow("started at another time") << "startTime" << QJsonValue("12");
        QTest::newRow("another program") << "executable" << QJsonValue("/usr/bin/rsync");
        QTest::newRow("before a reboot") << "boot" << QJsonValue("00000000-0000-0000-0000-000000000000");
    }
    void aRecycledPidIsNeverTouched()
    {
        QFETCH(QString, field);
        QFETCH(QJsonValue, value);
        const test::TempDir support;
        auto started = Subprocess::start(specOf(QStringLiteral("/bin/sleep"), { QStringLiteral("600") }));
        QVERIFY(started);
        Subprocess& stranger = **started;
        const auto recorded = RunningTransfers::record(support.path(), stranger.pid());
        QVERIFY(recorded);
        QJsonObject record = QJsonDocument::fromJson(test::TempDir::read(*recorded)).object();
        record[field] = value;
        QFile file(*recorded);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(record).toJson());
        file.close();

        const RunningTransfers::LeftoverStop stop = RunningTransfers::stopLeftovers(support.path(), 300ms);
        QCOMPARE(stop.stopped, 0);
        QCOMPARE(records(support.path()), QStringList());
        // Still running, untouched: it ends by the signal sent now, not by an earlier one.
        QVERIFY(stranger.signal(SIGUSR1));
        QCOMPARE(stranger.wait(), 128 + SIGUSR1);
    }

    void unreadableRecordIsReportedAndRemoved()
    {
        const test::TempDir support;
        const QString path = support.write(QStringLiteral("Transfers/4242.json"), "{ not json");
        const RunningTransfers::LeftoverStop stop = RunningTransfers::stopLeftovers(support.path(), 300ms);
        QCOMPARE(stop.problems,
            QStringList {
                "The record " + path + " of an earlier transfer could not be read; it was removed." });
        QVERIFY(!QFileInfo::exists(path));
    }

    // The program is killed outright in the middle of a run: rsync and everything it started end with
    // it, and the next launch finds nothing of it still running.
    void killedProgramLeavesNoWriter()
    {
        const test::TempDir dir;
        const QString support = dir.mkdir(QStringLiteral("support"));
        dir.write(QStringLiteral("source/big.bin"), QByteArray(9'000'000, 'b'));
        dir.mkdir(QStringLiteral("backup/.rsync-partial"));
        const QString target = dir.filePath(QStringLiteral("backup"));
        auto started = Subprocess::start(specOf(QCoreApplication::applicationFilePath(),
            { QString::fromLatin1(runTransferSwitch), support, dir.filePath(QStringLiteral("source/")),
                target }));
        QVERIFY(started);
        Subprocess& program = **started;
        MV_TRY_COMPARE(records(support).size(), 1);
        const pid_t rsync = QFileInfo(records(support).first()).baseName().toInt();
        MV_TRY_VERIFY(membersOf(rsync).size() >= 3); // rsync's sender, generator and receiver
        std::vector<FileDescriptor> writers;
        for (const pid_t member : membersOf(rsync))
            writers.emplace_back(static_cast<int>(::syscall(SYS_pidfd_open, member, 0)));

        QVERIFY(program.signal(SIGKILL));
        QCOMPARE(program.wait(), 128 + SIGKILL);
        const bool ended = allEnd(writers);
        if (!ended)
            ::kill(-rsync, SIGKILL);
        QVERIFY(ended);

        // The record of the killed run names nothing that is still ours.
        QCOMPARE(records(support).size(), 1);
        const RunningTransfers::LeftoverStop stop = RunningTransfers::stopLeftovers(support, 300ms);
        QCOMPARE(stop.stopped, 0);
        QCOMPARE(stop.problems, QStringList());
        QCOMPARE(records(support), QStringList());
    }

    // A run's child is recorded while it runs and forgotten when it has ended.
    void aRunIsRecordedWhileItsChildRuns()
    {
        const SlowCopy copy;
        const test::TempDir support;
        RunPlan plan;
        plan.executable = QStringLiteral("/usr/bin/rsync");
        plan.arguments = copy.arguments;
        plan.environment = PlanBuilder::childEnvironment();
        RsyncProcessController controller;
        controller.recordChildrenIn(support.path());
        auto running = controller.run(plan, copy.dir.filePath(QStringLiteral("log")), {});
        MV_TRY_COMPARE(records(support.path()).size(), 1);
        const QJsonObject record
            = QJsonDocument::fromJson(test::TempDir::read(RunningTransfers::recordFolder(support.path())
                                          + u'/' + records(support.path()).first()))
                  .object();
        QCOMPARE(record.value(QStringLiteral("executable")).toString(), QStringLiteral("/usr/bin/rsync"));
        QVERIFY(controller.cancel());
        const RsyncOutcome outcome = QCoro::waitFor(std::move(running));
        QVERIFY(outcome.cancelled);
        QCOMPARE(records(support.path()), QStringList());
        QCOMPARE(test::permissionBits(RunningTransfers::recordFolder(support.path())), 0700);
    }
};

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], runTransferSwitch) == 0)
        return runTransfer(argc, argv);
    QCoreApplication application(argc, argv);
    tst_RunningTransfers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RunningTransfers.moc"
