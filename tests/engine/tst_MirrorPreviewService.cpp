#include "engine/MirrorPreviewService.h"
#include "engine/PlanBuilder.h"
#include "model/AppPaths.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "platform/Subprocess.h"
#include "support/ExecutableScript.h"
#include "support/FailureText.h"
#include "support/IntegrationTimeout.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

#include <qcoro/qcorotask.h>

#include <csignal>

using namespace mv;

namespace {

const QDateTime now(QDate(2026, 12, 10), QTime(9, 30), Qt::UTC);

// A source and a mirror destination that already holds everything the source has.
struct MirrorSetup {
    test::TempSupportDir support;
    test::TempDir dir;
    QString source = dir.mkdir(QStringLiteral("source"));
    QString target = dir.mkdir(QStringLiteral("mirror"));
    // Real rsync behind a script that first notes the arguments it was given, one per line.
    QString rsync = test::executableScript(
        dir, QStringLiteral("rsync"), "printf '%s\\n' \"$@\" > \"$0.args\"\nexec /usr/bin/rsync \"$@\"");

    MirrorSetup()
    {
        for (const QString& name :
            { QStringLiteral("a.txt"), QStringLiteral("docs/b.txt"), QStringLiteral("docs/c.txt") }) {
            dir.write(QStringLiteral("source/") + name, name.toUtf8());
            dir.write(QStringLiteral("mirror/") + name, name.toUtf8());
        }
    }

    RunPlan plan(std::optional<qint64> bandwidthLimitKBps = std::nullopt) const
    {
        BackupJob job = BackupJob::create(now);
        job.mode = BackupMode::mirror;
        job.source.path = source;
        job.options.bandwidthLimitKBps = bandwidthLimitKBps;
        BackupDestination destination = BackupDestination::create(now);
        destination.path = target;
        AppSettings settings;
        settings.rsyncPath = rsync;
        return PlanBuilder::build(job, destination, settings, now);
    }

    QStringList argumentsReceived() const
    {
        return QString::fromUtf8(test::TempDir::read(rsync + QStringLiteral(".args")))
            .split(u'\n', Qt::SkipEmptyParts);
    }

    QStringList previewLogs() const
    {
        return QDir(AppPaths::logsDirectory())
            .entryList({ QStringLiteral("mirror-preview-*.log") }, QDir::Files);
    }

    // rsync's temporary files for `name` anywhere below the target: ".name.XXXXXX" beside the file, or
    // "name.XXXXXX" in a temporary folder.
    QStringList temporaryFilesOf(const QString& name) const
    {
        const QRegularExpression temporary(
            QStringLiteral("\\A\\.?%1\\.[A-Za-z0-9]{6}\\z").arg(QRegularExpression::escape(name)));
        QStringList files;
        QDirIterator it(target, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (temporary.match(it.fileName()).hasMatch())
                files.append(path);
        }
        return files;
    }

    QStringList targetFiles() const
    {
        QStringList files;
        QDirIterator it(target, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        return files;
    }
};

std::expected<MirrorPreview, PreflightFailure> preview(const RunPlan& plan)
{
    return QCoro::waitFor(MirrorPreviewService::preview(plan));
}

// What rsync itself reports as deletions for the same arguments, in its order.
QStringList deletionsReportedByRsync(const QStringList& arguments)
{
    QProcess rsync;
    rsync.start(QStringLiteral("/usr/bin/rsync"), arguments);
    if (!rsync.waitForFinished(60000))
        qFatal("rsync did not finish");
    QStringList deletions;
    for (const QString& line : QString::fromUtf8(rsync.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("deleting ")))
            deletions.append(line.mid(9));
    }
    return deletions;
}

} // namespace

class tst_MirrorPreviewService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsTheFirst200AndCountsAll();
    void nothingToDelete();
    void temporaryFileOfAKilledRunIsNoExtraFile();
    void failureKeepsTheLog_data();
    void failureKeepsTheLog();
};

void tst_MirrorPreviewService::listsTheFirst200AndCountsAll()
{
    MirrorSetup setup;
    for (int i = 0; i < 250; ++i)
        setup.dir.write(
            QStringLiteral("mirror/old-%1.txt").arg(i, 3, 10, QLatin1Char('0')), "gone from the source");
    const QStringList filesBefore = setup.targetFiles();
    const RunPlan plan = setup.plan();

    const auto result = preview(plan);
    QVERIFY2(result, result ? "" : qPrintable(test::describe(result.error())));

    QStringList expected = plan.arguments;
    expected.insert(expected.size() - 2, QStringLiteral("--itemize-changes"));
    expected.insert(expected.size() - 3, QStringLiteral("--dry-run"));
    const QStringList received = setup.argumentsReceived();
    QCOMPARE(received, expected);
    QCOMPARE(received.mid(received.size() - 4),
        (QStringList { QStringLiteral("--dry-run"), QStringLiteral("--itemize-changes"), setup.source + u'/',
            setup.target }));

    QCOMPARE(result->totalDeletions, 250);
    const QStringList reported = deletionsReportedByRsync(received);
    QCOMPARE(reported.size(), 250);
    QCOMPARE(result->deletions, reported.mid(0, 200));
    QVERIFY(result->deletions.contains(QStringLiteral("old-249.txt")));
    QCOMPARE(setup.targetFiles(), filesBefore);
    QCOMPARE(setup.previewLogs(), QStringList());
}

void tst_MirrorPreviewService::nothingToDelete()
{
    MirrorSetup setup;
    const auto result = preview(setup.plan());
    QVERIFY2(result, result ? "" : qPrintable(test::describe(result.error())));
    QCOMPARE(*result, MirrorPreview {});
    QCOMPARE(setup.previewLogs(), QStringList());
}

// rsync killed in the middle of a file with everything it started (a logout, an out-of-memory kill)
// leaves its temporary file behind: it must sit where the next preview does not count it for deletion.
void tst_MirrorPreviewService::temporaryFileOfAKilledRunIsNoExtraFile()
{
    MirrorSetup setup;
    setup.dir.write(QStringLiteral("source/big.bin"), QByteArray(8'000'000, 'b'));
    const RunPlan slow = setup.plan(500);
    auto started = Subprocess::start(SubprocessSpec { .executable = slow.executable,
        .arguments = slow.arguments,
        .environment = slow.environment,
        .output = SubprocessOutput::discarded,
        .niceness = 0,
        .onStdout = {},
        .onStderr = {} });
    QVERIFY(started);
    Subprocess& rsync = **started;
    const auto temporaryWritten = [&] {
        const QStringList files = setup.temporaryFilesOf(QStringLiteral("big.bin"));
        return files.size() == 1 && QFileInfo(files[0]).size() > 0;
    };
    MV_TRY_VERIFY(temporaryWritten());
    QVERIFY(rsync.signal(SIGKILL));
    QCOMPARE(rsync.wait(), 128 + SIGKILL);

    const QStringList left = setup.temporaryFilesOf(QStringLiteral("big.bin"));
    QCOMPARE(left.size(), 1);
    QCOMPARE(QFileInfo(left[0]).path(), setup.target + QStringLiteral("/.rsync-partial"));
    const auto result = preview(setup.plan());
    QVERIFY2(result, result ? "" : qPrintable(test::describe(result.error())));
    QCOMPARE(*result, MirrorPreview {});
}

void tst_MirrorPreviewService::failureKeepsTheLog_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("recovery");
    QTest::addColumn<bool>("keepsLog");
    const QString afterRun = QStringLiteral("Nothing was deleted. Check the destination and try again.");
    QTest::newRow("rsync reports an error")
        << "sourceGone"
        << "rsync: [sender] change_dir \"%1\" failed: No such file or directory (2)" << afterRun << true;
    QTest::newRow("rsync exits without an error line") << "silentExit"
                                                       << "rsync exited with code 12." << afterRun << true;
    QTest::newRow("rsync cannot start") << "notExecutable"
                                        << "%2 is not executable."
                                        << "Nothing was deleted." << false;
}

void tst_MirrorPreviewService::failureKeepsTheLog()
{
    QFETCH(QString, situation);
    QFETCH(QString, message);
    QFETCH(QString, recovery);
    QFETCH(bool, keepsLog);
    MirrorSetup setup;
    RunPlan plan = setup.plan();
    if (situation == u"sourceGone")
        QVERIFY(QDir(setup.source).removeRecursively());
    if (situation == u"silentExit")
        plan.executable = test::executableScript(setup.dir, QStringLiteral("quiet-rsync"), "exit 12");
    if (situation == u"notExecutable")
        plan.executable = setup.dir.write(QStringLiteral("plain-file"), "not a program");

    const auto result = preview(plan);
    QVERIFY(!result);
    QCOMPARE(test::describe(result.error()),
        test::describe(PreflightFailure(QStringLiteral("Mirror preview failed"),
            message.replace(QStringLiteral("%1"), setup.source)
                .replace(QStringLiteral("%2"), plan.executable),
            recovery, false, QStringLiteral("exclamationmark.triangle.fill"))));
    QCOMPARE(setup.previewLogs().size(), keepsLog ? 1 : 0);
    QCOMPARE(setup.targetFiles().size(), 3);
}

QTEST_GUILESS_MAIN(tst_MirrorPreviewService)
#include "tst_MirrorPreviewService.moc"
