#include "engine/PlanBuilder.h"
#include "engine/RunPlan.h"
#include "engine/VersionedStore.h"
#include "model/AppSettings.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "model/PathValidationError.h"
#include "platform/Subprocess.h"
#include "support/IntegrationTimeout.h"
#include "support/Mount.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <optional>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mv;

namespace {

// A versioned destination whose snapshots share their unchanged files through hard links, as rsync's
// --link-dest leaves them.
struct Destination {
    test::TempDir dir;
    QString root = dir.mkdir(QStringLiteral("backup"));

    explicit Destination(bool marked = true)
    {
        if (marked)
            dir.write(
                QStringLiteral("backup/") + VersionedStore::markerFileName, VersionedStore::markerContent);
    }

    QString snapshot(const QString& name) const
    {
        const QString path = root + u'/' + name;
        QDir().mkpath(path + QStringLiteral("/docs"));
        const QString shared = root + QStringLiteral("/shared.txt");
        if (!QFile::exists(shared))
            dir.write(QStringLiteral("backup/shared.txt"), "kept in every version\n");
        if (::link(QFile::encodeName(shared).constData(),
                QFile::encodeName(path + QStringLiteral("/docs/shared.txt")).constData())
            != 0)
            qFatal("cannot link into %s", qPrintable(path));
        dir.write(QStringLiteral("backup/") + name + QStringLiteral("/own.txt"), name.toUtf8());
        return path;
    }

    QStringList entries() const
    {
        QStringList names
            = QDir(root).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        names.removeAll(QString::fromLatin1(VersionedStore::markerFileName));
        names.removeAll(QStringLiteral("shared.txt"));
        return names;
    }
};

const QStringList fiveNames { QStringLiteral("2026-12-01_0900"), QStringLiteral("2026-12-02_090000"),
    QStringLiteral("2026-12-03_090000"), QStringLiteral("2026-12-04_0900"),
    QStringLiteral("2026-12-05_090000") };

RunPlan versionedPlan(const QString& snapshotPath, const std::optional<QString>& linkBase)
{
    RunPlan plan;
    plan.mode = BackupMode::versioned;
    plan.snapshotPath = snapshotPath;
    plan.targetPath = snapshotPath;
    plan.createdSnapshotFolder = true;
    plan.arguments = { QStringLiteral("--recursive"), QStringLiteral("--links"), QStringLiteral("--times") };
    if (linkBase)
        plan.arguments.append(QStringLiteral("--link-dest=") + *linkBase);
    plan.arguments += { QStringLiteral("/home/u/Documents/"), snapshotPath };
    return plan;
}

SubprocessSpec rsyncOf(const RunPlan& plan)
{
    return SubprocessSpec { .executable = plan.executable,
        .arguments = plan.arguments,
        .environment = plan.environment,
        .output = SubprocessOutput::discarded,
        .niceness = 0,
        .onStdout = {},
        .onStderr = {} };
}

// Whether rsync has begun writing `name` somewhere below `folder`: a temporary file of it holds bytes.
bool isWritingFile(const QString& folder, const QString& name)
{
    const QRegularExpression temporary(
        QStringLiteral("\\A\\.?%1\\.[A-Za-z0-9]{6}\\z").arg(QRegularExpression::escape(name)));
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (temporary.match(it.fileName()).hasMatch() && it.fileInfo().size() > 0)
            return true;
    }
    return false;
}

} // namespace

class tst_VersionedStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void snapshotNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isSnapshot");
        QTest::newRow("seconds") << "2026-12-09_135100" << true;
        QTest::newRow("minutes") << "2026-12-09_1351" << true;
        QTest::newRow("five digits") << "2026-12-09_13510" << true;
        QTest::newRow("trailing line feed") << "2026-12-09_1351\n" << false;
        QTest::newRow("non-ASCII digits") << QString::fromUtf8("2026-12-09_١٣٥١") << false;
        QTest::newRow("suffix") << "2026-12-09_1351.old" << false;
    }
    void snapshotNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, isSnapshot);
        QCOMPARE(VersionedStore::isSnapshotName(name), isSnapshot);
    }

    void snapshotDate_data();
    void snapshotDate();
    void pruneRefusesFolderWithoutMarker();
    void pruneKeepsTheNewest_data();
    void pruneKeepsTheNewest();
    void pruneNeverRemovesTheSnapshotToKeep();
    void pruneDoesNotFollowSymbolicLinks();
    void pruneStopsAtTheFirstFailedRemoval();
    void pruneNeverEntersAnotherFileSystem_data();
    void pruneNeverEntersAnotherFileSystem();
    void pruneRemovesReadOnlyFoldersOfTheirOwner();
    void failedAttemptLeavesNoSnapshotBehind();
    void snapshotOfAKilledRunIsNoVersion();
    void discardTouchesOnlyAnUnfinishedSnapshot_data();
    void discardTouchesOnlyAnUnfinishedSnapshot();
};

void tst_VersionedStore::snapshotDate_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("expected");
    const auto utc = [](int month, int day, int hour, int minute, int second) {
        return QDateTime(QDate(2026, month, day), QTime(hour, minute, second), Qt::UTC);
    };
    QTest::newRow("seconds, Berlin winter")
        << "/b/2026-12-10_143005" << QByteArray("Europe/Berlin") << utc(12, 10, 13, 30, 5);
    QTest::newRow("minutes, New York")
        << "2026-12-10_1430" << QByteArray("America/New_York") << utc(12, 10, 19, 30, 0);
    QTest::newRow("seconds, Tokyo, day before in UTC")
        << "/b/2026-06-01_050000/" << QByteArray("Asia/Tokyo") << utc(5, 31, 20, 0, 0);
    QTest::newRow("Berlin summer") << "2026-07-01_120000" << QByteArray("Europe/Berlin")
                                   << utc(7, 1, 10, 0, 0);
    QTest::newRow("an hour the system's zone skips")
        << "2026-03-29_023000" << QByteArray("UTC") << utc(3, 29, 2, 30, 0);
    QTest::newRow("not a stamp") << "/b/latest" << QByteArray("UTC") << QDateTime();
    QTest::newRow("five time digits") << "2026-12-10_14300" << QByteArray("UTC") << QDateTime();
    QTest::newRow("seven time digits") << "2026-12-10_1430050" << QByteArray("UTC") << QDateTime();
    QTest::newRow("month 13") << "2026-13-10_1430" << QByteArray("UTC") << QDateTime();
    QTest::newRow("trailing text") << "2026-12-10_143005.partial" << QByteArray("UTC") << QDateTime();
}

void tst_VersionedStore::snapshotDate()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, expected);
    const std::optional<QDateTime> date = VersionedStore::snapshotDate(path, QTimeZone(zone));
    QCOMPARE(date.has_value(), expected.isValid());
    if (date)
        QCOMPARE(*date, expected);
}

void tst_VersionedStore::pruneRefusesFolderWithoutMarker()
{
    Destination destination(false);
    for (const QString& name : fiveNames)
        destination.snapshot(name);
    const QString given = destination.root + u'/';
    const auto pruned = VersionedStore::prune(given, 1, std::nullopt);
    QVERIFY(!pruned);
    QCOMPARE(pruned.error(),
        QStringLiteral("Refusing to prune %1 because Marrowvale does not manage snapshots there.")
            .arg(given));
    QCOMPARE(destination.entries(), fiveNames);
}

void tst_VersionedStore::pruneKeepsTheNewest_data()
{
    QTest::addColumn<int>("retention");
    QTest::addColumn<QStringList>("removed");
    QTest::newRow("3 of 5") << 3 << QStringList { fiveNames[1], fiveNames[0] };
    QTest::newRow("1 of 5") << 1 << QStringList { fiveNames[3], fiveNames[2], fiveNames[1], fiveNames[0] };
    QTest::newRow("5 of 5") << 5 << QStringList();
    QTest::newRow("more than there are") << 8 << QStringList();
    QTest::newRow("0 keeps all") << 0 << QStringList();
    QTest::newRow("negative keeps all") << -2 << QStringList();
}

void tst_VersionedStore::pruneKeepsTheNewest()
{
    QFETCH(int, retention);
    QFETCH(QStringList, removed);
    Destination destination;
    for (const QString& name : fiveNames)
        destination.snapshot(name);

    QStringList expectedPaths;
    for (const QString& name : removed)
        expectedPaths.append(destination.root + u'/' + name);
    QCOMPARE(
        VersionedStore::prune(destination.root, retention, std::nullopt).value_or(QStringList { "failed" }),
        expectedPaths);

    QStringList left = fiveNames;
    for (const QString& name : removed)
        left.removeAll(name);
    QCOMPARE(destination.entries(), left);
    // The files the kept versions share with the removed ones are intact.
    for (const QString& name : left)
        QCOMPARE(test::TempDir::read(destination.root + u'/' + name + QStringLiteral("/docs/shared.txt")),
            QByteArray("kept in every version\n"));
}

void tst_VersionedStore::pruneNeverRemovesTheSnapshotToKeep()
{
    // After the clock was set back, the run's own snapshot sorts among the old ones.
    Destination destination;
    for (const QString& name : fiveNames)
        destination.snapshot(name);
    const QString keeping = destination.root + QStringLiteral("/./") + fiveNames[0] + u'/';

    QCOMPARE(VersionedStore::prune(destination.root, 3, keeping).value_or(QStringList { "failed" }),
        QStringList { destination.root + u'/' + fiveNames[1] });
    QCOMPARE(destination.entries(), (QStringList { fiveNames[0], fiveNames[2], fiveNames[3], fiveNames[4] }));
}

void tst_VersionedStore::pruneDoesNotFollowSymbolicLinks()
{
    Destination destination;
    test::TempDir outside;
    const QString outsideFile = outside.write(QStringLiteral("elsewhere/precious.txt"), "not ours\n");
    const QString newest = destination.snapshot(QStringLiteral("2026-12-05_090000"));
    const QString old = destination.snapshot(QStringLiteral("2026-12-03_090000"));
    // An old snapshot holding a link out of the destination: the link goes, its target stays.
    QVERIFY(QFile::link(outsideFile, old + QStringLiteral("/docs/link-out")));
    // Snapshot-named links among the old entries, one into the root, one out of it, and a plain file.
    QVERIFY(QFile::link(newest, destination.root + QStringLiteral("/2026-12-04_090000")));
    QVERIFY(QFile::link(outside.filePath(QStringLiteral("elsewhere")),
        destination.root + QStringLiteral("/2026-12-02_090000")));
    destination.dir.write(QStringLiteral("backup/2026-12-01_090000"), "a file named like a snapshot\n");

    QCOMPARE(VersionedStore::prune(destination.root, 1, std::nullopt).value_or(QStringList { "failed" }),
        QStringList { old });

    QCOMPARE(destination.entries(),
        (QStringList { QStringLiteral("2026-12-01_090000"), QStringLiteral("2026-12-02_090000"),
            QStringLiteral("2026-12-04_090000"), QStringLiteral("2026-12-05_090000") }));
    QVERIFY(QFileInfo(destination.root + QStringLiteral("/2026-12-04_090000")).isSymLink());
    QVERIFY(QFile::exists(newest + QStringLiteral("/own.txt")));
    QCOMPARE(test::TempDir::read(outsideFile), QByteArray("not ours\n"));
}

void tst_VersionedStore::pruneStopsAtTheFirstFailedRemoval()
{
    if (!test::inPrivateMountNamespace())
        QSKIP("needs a private mount namespace (root)");
    Destination destination;
    for (const QString& name : fiveNames)
        destination.snapshot(name);
    // The second oldest lies on a volume that became read only.
    const QString stuck = destination.root + u'/' + fiveNames[1];
    test::Mount volume = test::Mount::tmpfs(stuck);
    destination.dir.write(
        QStringLiteral("backup/") + fiveNames[1] + QStringLiteral("/own.txt"), "on the volume");
    volume.remountReadOnly();
    const auto pruned = VersionedStore::prune(destination.root, 2, std::nullopt);
    QVERIFY(!pruned);
    QCOMPARE(pruned.error(),
        QStringLiteral("An old snapshot could not be removed: Read-only file system (%1/own.txt)")
            .arg(stuck));
    QCOMPARE(destination.entries(), (QStringList { fiveNames[0], fiveNames[1], fiveNames[3], fiveNames[4] }));
}

void tst_VersionedStore::pruneNeverEntersAnotherFileSystem_data()
{
    QTest::addColumn<bool>("bind");
    QTest::newRow("an outside folder bound into the snapshot") << true;
    QTest::newRow("a volume mounted in the snapshot") << false;
}

// Whatever is mounted inside an old snapshot is not the snapshot's: it is left whole, the removal reports
// that it could not finish, and the snapshot stays.
void tst_VersionedStore::pruneNeverEntersAnotherFileSystem()
{
    QFETCH(bool, bind);
    if (!test::inPrivateMountNamespace())
        QSKIP("needs a private mount namespace (root)");
    Destination destination;
    test::TempDir outside;
    const QString precious = outside.write(QStringLiteral("elsewhere/precious.txt"), "not ours\n");
    destination.snapshot(QStringLiteral("2026-12-05_090000"));
    const QString old = destination.snapshot(QStringLiteral("2026-12-03_090000"));
    const QString point = destination.dir.mkdir(QStringLiteral("backup/2026-12-03_090000/docs/mounted"));
    std::optional<test::Mount> mount;
    if (bind) {
        mount.emplace(test::Mount::bind(outside.filePath(QStringLiteral("elsewhere")), point));
    } else {
        mount.emplace(test::Mount::tmpfs(point));
        destination.dir.write(QStringLiteral("backup/2026-12-03_090000/docs/mounted/on-the-volume.txt"), "x");
    }
    const auto pruned = VersionedStore::prune(destination.root, 1, std::nullopt);
    QVERIFY2(!pruned, "an unfinished removal must be reported");
    QCOMPARE(pruned.error(),
        QStringLiteral("An old snapshot could not be removed: Another file system is mounted there and "
                       "was left as it is (%1)")
            .arg(point));
    QCOMPARE(destination.entries(),
        (QStringList { QStringLiteral("2026-12-03_090000"), QStringLiteral("2026-12-05_090000") }));
    if (bind)
        QCOMPARE(test::TempDir::read(precious), QByteArray("not ours\n"));
    else
        QVERIFY(QFile::exists(point + QStringLiteral("/on-the-volume.txt")));
}

void tst_VersionedStore::pruneRemovesReadOnlyFoldersOfTheirOwner()
{
    if (geteuid() != 0)
        QSKIP("needs root to prune as another user");
    constexpr uid_t owner = 65534;
    Destination destination;
    for (const QString& name : fiveNames)
        destination.snapshot(name);
    // rsync gives the copy of a read-only folder (a module cache, say) the same mode.
    QVERIFY(QFile::setPermissions(destination.root + u'/' + fiveNames[0] + QStringLiteral("/docs"),
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::ExeOther));
    QCOMPARE(QProcess::execute(QStringLiteral("/bin/chown"),
                 { QStringLiteral("-R"), QStringLiteral("%1:%1").arg(owner), destination.dir.path() }),
        0);

    // The owner prunes; root would not notice the folder's mode.
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(owner) != 0 || setuid(owner) != 0)
            _exit(2);
        try {
            _exit(
                VersionedStore::prune(destination.root, 4, std::nullopt).value_or(QStringList {}).size() == 1
                    ? 0
                    : 3);
        } catch (const PathValidationError& error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message));
            _exit(1);
        }
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QCOMPARE(destination.entries(), fiveNames.mid(1));
}

void tst_VersionedStore::failedAttemptLeavesNoSnapshotBehind()
{
    // Two completed versions, then an attempt that failed halfway, linking against the newest.
    Destination destination;
    const QString first = destination.snapshot(QStringLiteral("2026-12-08_090000"));
    const QString second = destination.snapshot(QStringLiteral("2026-12-09_090000"));
    const QString attempt = destination.snapshot(QStringLiteral("2026-12-10_090000"));

    QCOMPARE(
        VersionedStore::discardUnfinishedSnapshot(versionedPlan(attempt, second)), std::optional(attempt));
    QCOMPARE(destination.entries(),
        (QStringList { QStringLiteral("2026-12-08_090000"), QStringLiteral("2026-12-09_090000") }));
    QCOMPARE(test::TempDir::read(second + QStringLiteral("/docs/shared.txt")),
        QByteArray("kept in every version\n"));

    // The next successful run keeps two versions: both completed ones count, not the partial copy.
    const QString next = destination.snapshot(QStringLiteral("2026-12-10_100000"));
    QCOMPARE(VersionedStore::prune(destination.root, 2, next).value_or(QStringList { "failed" }),
        QStringList { first });
}

// A run killed together with rsync (a power cut, an out-of-memory kill) never reaches the discard of a
// failed attempt: its snapshot must still never count as a version, and the next run removes it first.
void tst_VersionedStore::snapshotOfAKilledRunIsNoVersion()
{
    test::TempDir dir;
    const QDateTime monday(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC);
    BackupJob job = BackupJob::create(monday);
    job.mode = BackupMode::versioned;
    job.source.path = dir.mkdir(QStringLiteral("source"));
    dir.write(QStringLiteral("source/a.txt"), "small and first\n");
    dir.write(QStringLiteral("source/big.bin"), QByteArray(8'000'000, 'b'));
    BackupDestination destination = BackupDestination::create(monday);
    destination.path = dir.filePath(QStringLiteral("backup"));
    destination.retention = 2;
    const AppSettings settings;

    // Two completed versions, each noted finished as a successful run's ending does.
    QStringList versions;
    for (int day = 0; day < 2; ++day) {
        const RunPlan plan = PlanBuilder::build(job, destination, settings, monday.addDays(day));
        const auto copied = Subprocess::run(rsyncOf(plan), test::integrationTimeout, 0);
        QVERIFY(copied && copied->exitStatus == 0);
        QCOMPARE(VersionedStore::finishSnapshot(*plan.snapshotPath), std::nullopt);
        versions.prepend(*plan.snapshotPath);
    }

    // The third is killed, rsync and all, in the middle of a file that changed since.
    dir.write(QStringLiteral("source/big.bin"), QByteArray(9'000'000, 'c'));
    job.options.bandwidthLimitKBps = 500;
    const RunPlan killed = PlanBuilder::build(job, destination, settings, monday.addDays(2));
    auto started = Subprocess::start(rsyncOf(killed));
    QVERIFY(started);
    MV_TRY_VERIFY(isWritingFile(*killed.snapshotPath, QStringLiteral("big.bin")));
    QVERIFY((*started)->signal(SIGKILL));
    QCOMPARE((*started)->wait(), 128 + SIGKILL);
    QVERIFY(QFile::exists(*killed.snapshotPath + QStringLiteral("/a.txt")));

    QCOMPARE(VersionedStore::snapshots(destination.path), versions);
    QCOMPARE(VersionedStore::latestSnapshot(destination.path, std::nullopt), versions.first());
    QCOMPARE(VersionedStore::prune(destination.path, 2, std::nullopt).value_or(QStringList { "failed" }),
        QStringList());
    QVERIFY(QFileInfo(versions.last()).isDir());

    // The next run removes it before it copies, and links against the newest completed version.
    const RunPlan next = PlanBuilder::build(job, destination, settings, monday.addDays(3));
    QVERIFY(!QFileInfo::exists(*killed.snapshotPath));
    QCOMPARE(QDir(destination.path)
                 .entryList({ QLatin1String(VersionedStore::unfinishedNotePrefix) + u'*' },
                     QDir::AllEntries | QDir::Hidden | QDir::System),
        QStringList {
            QLatin1String(VersionedStore::unfinishedNotePrefix) + QFileInfo(*next.snapshotPath).fileName() });
    QVERIFY(next.arguments.contains(QStringLiteral("--link-dest=") + versions.first()));
    QCOMPARE(VersionedStore::snapshots(destination.path), versions);
}

void tst_VersionedStore::discardTouchesOnlyAnUnfinishedSnapshot_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("the snapshot is the link base") << "linkBase";
    QTest::newRow("no marker") << "unmarked";
    QTest::newRow("remote target") << "remote";
    QTest::newRow("not versioned") << "incremental";
    QTest::newRow("a link in the snapshot's place") << "symlink";
    QTest::newRow("not named like a snapshot") << "named";
    QTest::newRow("made before this attempt") << "existing";
}

void tst_VersionedStore::discardTouchesOnlyAnUnfinishedSnapshot()
{
    QFETCH(QString, situation);
    Destination destination(situation != u"unmarked");
    const QString completed = destination.snapshot(QStringLiteral("2026-12-09_090000"));
    QString snapshot = destination.snapshot(
        situation == u"named" ? QStringLiteral("current") : QStringLiteral("2026-12-10_090000"));
    if (situation == u"symlink") {
        QVERIFY(QFile::link(completed, destination.root + QStringLiteral("/2026-12-11_090000")));
        snapshot = destination.root + QStringLiteral("/2026-12-11_090000");
    }
    RunPlan plan = versionedPlan(snapshot, situation == u"linkBase" ? snapshot : completed);
    if (situation == u"remote")
        plan.targetIsRemote = plan.isSSH = true;
    if (situation == u"incremental")
        plan.mode = BackupMode::incremental;
    if (situation == u"existing")
        plan.createdSnapshotFolder = false;
    const QStringList before = destination.entries();

    QCOMPARE(VersionedStore::discardUnfinishedSnapshot(plan), std::nullopt);
    QCOMPARE(destination.entries(), before);
    QVERIFY(QFile::exists(completed + QStringLiteral("/own.txt")));
}

int main(int argc, char** argv)
{
    // Before any thread exists, so the test can mount volumes of its own.
    test::enterPrivateMountNamespace();
    // A system zone with summer time, whose skipped hour must not hide a snapshot read in another zone.
    qputenv("TZ", "Europe/Berlin");
    QCoreApplication app(argc, argv);
    tst_VersionedStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VersionedStore.moc"
