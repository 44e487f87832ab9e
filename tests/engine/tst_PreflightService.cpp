#include "engine/PreflightService.h"
#include "engine/RsyncProcessController.h"
#include "engine/SSHCommand.h"
#include "model/KeychainService.h"
#include "model/VolumeInspector.h"
#include "platform/Bookmark.h"
#include "support/BuiltPrograms.h"
#include "support/ExecutableScript.h"
#include "support/FailureText.h"
#include "support/Mount.h"
#include "support/SshServer.h"
#include "support/TempDir.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <qcoro/qcorotask.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

using CheckResult = std::expected<RunPlan, PreflightFailure>;

const QDateTime checkTime(QDate(2026, 12, 10), QTime(9, 30), Qt::UTC);

CheckResult check(
    const BackupJob& job, const BackupDestination& destination, const AppSettings& settings = {})
{
    return QCoro::waitFor(PreflightService::check(job, destination, settings, checkTime));
}

const QString passed = QStringLiteral("passed");

QString outcome(const CheckResult& result)
{
    return result ? passed : test::describe(result.error());
}

QString refusal(const QString& title, const QString& message, const std::optional<QString>& recovery,
    bool isTemporary, const QString& symbol)
{
    return test::describe(PreflightFailure(title, message, recovery, isTemporary, symbol));
}

QString mirrorRefusal()
{
    return refusal("Mirror stopped: nothing would be copied",
        "The source has no items after exclusions. Mirror would delete every file at the destination.",
        "Nothing was changed. Check that the source drive is mounted, then review the exclusion rules.",
        false, "shield.lefthalf.filled");
}

// Every file and folder under `path`, hidden ones included, relative to it.
QStringList contents(const QString& path)
{
    QStringList found;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next().mid(path.size() + 1);
    found.sort();
    return found;
}

QString identity(const QString& path)
{
    const std::optional<VolumeInfo> volume = VolumeInspector::volume(path);
    if (!volume)
        qFatal("no volume at %s", qPrintable(path));
    return volume->identity;
}

BackupJob jobWithSource(const QString& source)
{
    BackupJob job = BackupJob::create(checkTime);
    job.name = QStringLiteral("Documents");
    job.source.path = source;
    return job;
}

} // namespace

class TestPreflightService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { test::useBuiltAskpass(); }

    // One job with every problem at once; each repair uncovers the next check, so the failures arrive in
    // the order the checks run, and none of them leaves anything behind.
    void localChecksRefuseInOrderAndWriteNothing()
    {
        if (!test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");
        const test::TempDir root;
        const test::TempDir tools;
        const QString source = root.filePath(QStringLiteral("source"));
        BackupJob job = jobWithSource(source);
        BackupDestination destination = BackupDestination::create(checkTime);
        destination.name = QStringLiteral("Archive");
        destination.modeOverride = BackupMode::mirror;
        AppSettings settings;

        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Source unavailable", "The source folder is not available.",
                "Reconnect the drive or choose another folder.", true, "folder.badge.questionmark"));

        // Another drive now sits where the source's drive was.
        root.mkdir(QStringLiteral("source"));
        std::optional<test::Mount> sourceDrive(test::Mount::tmpfs(source));
        job.source.volumeIdentity = identity(source);
        sourceDrive.reset();
        sourceDrive.emplace(test::Mount::tmpfs(source));
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("The source drive changed", "A different volume is mounted at " + source + ".",
                "Reconnect the original drive. Nothing was read or written.", true,
                "externaldrive.badge.exclamationmark"));
        QCOMPARE(contents(source), QStringList());

        job.source.volumeIdentity = identity(source);
        job.options.customExclusions = { QStringLiteral("*.tmp") };
        root.write(QStringLiteral("source/.DS_Store"), "x");
        root.write(QStringLiteral("source/cache.tmp"), "x");
        QCOMPARE(outcome(check(job, destination, settings)), mirrorRefusal());

        root.write(QStringLiteral("source/notes.txt"), "kept");
        const QString notExecutable = tools.write(QStringLiteral("not-rsync"), "");
        const test::Mount hiddenRsync = test::Mount::bind(notExecutable, QStringLiteral("/usr/bin/rsync"));
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("rsync not found", "Marrowvale needs rsync 3 to run a backup.",
                "Install it with your package manager, or choose an executable in Settings → Advanced.",
                false, "terminal"));

        settings.rsyncPath = test::executableScript(tools, QStringLiteral("silent"), "exit 0");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("rsync did not respond", settings.rsyncPath + " could not be started.",
                "Choose a working rsync in Settings → Advanced.", false, "terminal"));

        settings.rsyncPath = test::executableScript(
            tools, QStringLiteral("old"), "echo 'rsync  version 3.0.9  protocol version 30'");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("This rsync is too old",
                settings.rsyncPath
                    + " reports version 3.0.9. Marrowvale needs rsync 3.1 or later for live progress.",
                "Install a current rsync with your package manager, or choose another executable in "
                "Settings → Advanced.",
                false, "terminal"));

        settings.rsyncPath = test::executableScript(
            tools, QStringLiteral("current"), "echo 'rsync  version 3.1.0  protocol version 31'");
        destination.path = QStringLiteral("  ");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Destination not set", "Choose a destination folder for Archive.", std::nullopt, false,
                "externaldrive"));

        // A different drive is mounted where the destination's drive was.
        const QString volume = root.mkdir(QStringLiteral("volume"));
        std::optional<test::Mount> destinationDrive(test::Mount::tmpfs(volume));
        destination.volumeIdentity = identity(volume);
        destination.volumeName = QStringLiteral("Archive disk");
        destinationDrive.reset();
        destinationDrive.emplace(test::Mount::tmpfs(volume));
        destination.path = volume + QStringLiteral("/backup");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("A different volume is mounted",
                "Archive expects Archive disk. The mounted volume is volume.",
                "Nothing was written. Reconnect the right drive or share.", true,
                "externaldrive.badge.xmark"));
        destination.volumeName.reset();
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("A different volume is mounted",
                "Archive expects the original volume. The mounted volume is volume.",
                "Nothing was written. Reconnect the right drive or share.", true,
                "externaldrive.badge.xmark"));

        destination.volumeIdentity = identity(volume);
        destinationDrive->remountReadOnly();
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Destination is read only",
                "The volume at " + destination.path + " is mounted read only.", std::nullopt, true,
                "lock.fill"));
        QCOMPARE(contents(volume), QStringList());

        // 10 MiB free passes; one page less does not.
        const QString small = root.mkdir(QStringLiteral("small"));
        const test::Mount smallDrive = test::Mount::tmpfs(small, QStringLiteral("size=10485760"));
        destination.volumeIdentity = identity(small);
        destination.path = small + QStringLiteral("/backup");
        root.write(QStringLiteral("small/filler"), "x");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Destination is nearly full", "Only 10.5 MB is free at " + destination.path + ".",
                "Free some space or choose another destination. Nothing was written.", true,
                "externaldrive.badge.exclamationmark"));
        QCOMPARE(contents(small), QStringList({ "filler" }));

        QFile::remove(small + QStringLiteral("/filler"));
        QCOMPARE(VolumeInspector::volume(small)->availableBytes, std::optional<qint64>(10485760));
        destination.path = small + QStringLiteral("/unmounted/backup");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Destination offline", "Archive is not available at " + destination.path + ".",
                "Reconnect the drive or share. Marrowvale did not create a replacement folder.", true,
                "externaldrive.badge.xmark"));
        QCOMPARE(contents(small), QStringList());

        // A volume with no inode left refuses the new folder.
        const QString crowded = root.mkdir(QStringLiteral("crowded"));
        const test::Mount crowdedDrive = test::Mount::tmpfs(crowded, QStringLiteral("nr_inodes=1"));
        destination.volumeIdentity = identity(crowded);
        destination.path = crowded + QStringLiteral("/backup");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Destination cannot be created",
                "The folder “" + destination.path + "” could not be created: No space left on device.",
                std::nullopt, false, "folder.badge.xmark"));

        destination.volumeIdentity.reset();
        destination.path = root.write(QStringLiteral("a file"), "not a folder");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("Destination is not writable",
                "The file “" + destination.path
                    + "/.marrowVale-write-test” could not be written: Not a "
                      "directory.",
                "Choose another folder, or change permissions for " + destination.path
                    + " in your file manager.",
                false, "lock"));

        destination.volumeIdentity.reset();
        destination.path = source + QStringLiteral("/backup");
        QCOMPARE(outcome(check(job, destination, settings)),
            refusal("This backup cannot run", "The source and destination overlap.",
                "Keep the backup destination outside the source folder, and the source outside the "
                "destination.",
                false, "exclamationmark.triangle.fill"));
        QCOMPARE(contents(source), QStringList({ ".DS_Store", "cache.tmp", "notes.txt" }));

        destination.volumeIdentity = identity(small);
        destination.path = small + QStringLiteral("/backup");
        const CheckResult plan = check(job, destination, settings);
        QCOMPARE(outcome(plan), passed);
        QCOMPARE(plan->executable, settings.rsyncPath);
        QCOMPARE(plan->targetPath, destination.path);
        // The plan made the folder, with the partial folder rsync writes its temporary files into.
        QCOMPARE(contents(small), QStringList({ "backup", "backup/.rsync-partial" }));
        QVERIFY(
            !plan->environment.contains(QString::fromLatin1(KeychainService::askpassDestinationVariable)));
    }

    void aFullVolumeIsNearlyFull()
    {
        if (!test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");
        const test::TempDir root;
        root.write(QStringLiteral("source/notes.txt"), "kept");
        const QString full = root.mkdir(QStringLiteral("full"));
        const test::Mount drive = test::Mount::tmpfs(full, QStringLiteral("size=4096"));
        root.write(QStringLiteral("full/filler"), "x");
        BackupDestination destination = BackupDestination::create(checkTime);
        destination.path = full + QStringLiteral("/backup");
        QCOMPARE(outcome(check(jobWithSource(root.filePath(QStringLiteral("source"))), destination)),
            refusal("Destination is nearly full", "Only Zero bytes is free at " + destination.path + ".",
                "Free some space or choose another destination. Nothing was written.", true,
                "externaldrive.badge.exclamationmark"));
        QCOMPARE(contents(full), QStringList({ "filler" }));
    }

    void aVolumeWithoutASizeIsNotFull()
    {
        if (!test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");
        const test::TempDir root;
        root.write(QStringLiteral("source/notes.txt"), "kept");
        // An unlimited tmpfs reports no blocks at all, like some FUSE and network file systems.
        const QString unlimited = root.mkdir(QStringLiteral("unlimited"));
        const test::Mount drive = test::Mount::tmpfs(unlimited, QStringLiteral("size=0"));
        BackupDestination destination = BackupDestination::create(checkTime);
        destination.path = unlimited + QStringLiteral("/backup");
        QCOMPARE(outcome(check(jobWithSource(root.filePath(QStringLiteral("source"))), destination)), passed);
        QCOMPARE(contents(unlimited), QStringList({ "backup", "backup/.rsync-partial" }));
    }

    void mirrorCheckFollowsTheEffectiveMode()
    {
        const test::TempDir root;
        root.write(QStringLiteral("source/.DS_Store"), "x");
        BackupJob job = jobWithSource(root.filePath(QStringLiteral("source")));
        job.mode = BackupMode::mirror;
        BackupDestination destination = BackupDestination::create(checkTime);
        destination.path = root.filePath(QStringLiteral("backup"));
        QCOMPARE(outcome(check(job, destination)), mirrorRefusal());
        destination.modeOverride = BackupMode::incremental;
        QCOMPARE(outcome(check(job, destination)), passed);
    }

    void bookmarksLeadToTheFoldersTheyRemember()
    {
        const test::TempDir root;
        const QString source = root.mkdir(QStringLiteral("source"));
        root.write(QStringLiteral("source/notes.txt"), "kept");
        const QString target = root.mkdir(QStringLiteral("target"));
        BackupJob job = jobWithSource(root.filePath(QStringLiteral("moved source")));
        job.source.bookmark = Bookmark::create(source);
        BackupDestination destination = BackupDestination::create(checkTime);
        destination.path = root.filePath(QStringLiteral("moved target"));
        destination.bookmark = Bookmark::create(target);

        CheckResult plan = check(job, destination);
        QCOMPARE(outcome(plan), passed);
        QCOMPARE(plan->sourcePath, source);
        QCOMPARE(plan->targetPath, target);

        // A bookmark whose folder was replaced leads nowhere: the stored path is used.
        QVERIFY(QDir(root.path()).rename(QStringLiteral("target"), QStringLiteral("old target")));
        root.mkdir(QStringLiteral("target"));
        destination.path = target;
        plan = check(job, destination);
        QCOMPARE(outcome(plan), passed);
        QCOMPARE(plan->sourcePath, source);
        QCOMPARE(plan->targetPath, target);
    }

    // Another folder now at the source's stored path, with a stray file in it (a bare mount point, say): a
    // mirror from it would delete the whole destination, so a mirror refuses; the other modes only add and
    // fall back to the stored path.
    void replacedSourceRefusesOnlyAMirror_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("mirror") << "mirror";
        QTest::newRow("incremental") << "incremental";
        QTest::newRow("versioned") << "versioned";
    }
    void replacedSourceRefusesOnlyAMirror()
    {
        QFETCH(QString, mode);
        const test::TempDir root;
        const QString source = root.mkdir(QStringLiteral("source"));
        root.write(QStringLiteral("source/notes.txt"), "chosen");
        BackupJob job = jobWithSource(source);
        job.mode = *enumFromString<BackupMode>(mode);
        job.source.bookmark = Bookmark::create(source);
        QVERIFY(QDir(root.path()).rename(QStringLiteral("source"), QStringLiteral("unmounted")));
        root.write(QStringLiteral("source/stray.txt"), "another folder");
        BackupDestination destination = BackupDestination::create(checkTime);
        destination.path = root.filePath(QStringLiteral("backup"));
        root.write(QStringLiteral("backup/notes.txt"), "copied before");

        const CheckResult plan = check(job, destination);
        if (mode != "mirror") {
            QCOMPARE(outcome(plan), passed);
            QCOMPARE(plan->sourcePath, source);
            return;
        }
        QCOMPARE(outcome(plan),
            refusal("Source folder changed",
                source
                    + " is not the folder that was chosen for this backup: another folder or drive is there "
                      "now. Mirror would delete files at the destination, so nothing was changed.",
                "Reconnect the drive, or choose the source folder again in the job editor.", true,
                "folder.badge.questionmark"));
        QCOMPARE(contents(root.filePath(QStringLiteral("backup"))), QStringList({ "notes.txt" }));
    }

    void findsTheNearestExistingAncestor_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("found");
        QTest::newRow("itself") << "a" << true;
        QTest::newRow("missing below") << "a/x/y/z" << true;
        QTest::newRow("eleven levels up") << "a/1/2/3/4/5/6/7/8/9/10/11" << true;
        QTest::newRow("twelve levels up") << "a/1/2/3/4/5/6/7/8/9/10/11/12" << false;
    }
    void findsTheNearestExistingAncestor()
    {
        QFETCH(QString, relative);
        QFETCH(bool, found);
        const test::TempDir dir;
        const QString existing = dir.mkdir(QStringLiteral("a"));
        QCOMPARE(PreflightService::nearestExistingAncestor(dir.filePath(relative)),
            found ? std::optional(existing) : std::nullopt);
        QCOMPARE(PreflightService::nearestExistingAncestor(QStringLiteral("/")), std::optional<QString>("/"));
    }

    void writeTestLeavesNothing()
    {
        const test::TempDir dir;
        const std::optional<PreflightFailure> failure = PreflightService::writeTest(dir.path());
        QVERIFY2(!failure, qPrintable(failure ? test::describe(*failure) : QString()));
        QCOMPARE(contents(dir.path()), QStringList());
    }

    void sshChecksReachTheServer_data()
    {
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<QString>("passphrase"); // of the key, stored in the keyring; none when empty
        QTest::newRow("existing folder") << true << "";
        QTest::newRow("missing folder is created") << false << "";
        QTest::newRow("key with stored passphrase") << true << "open sesame";
    }
    void sshChecksReachTheServer()
    {
        QFETCH(bool, folderExists);
        QFETCH(QString, passphrase);
        const test::TempDir root;
        root.write(QStringLiteral("source/notes.txt"), "kept");
        const QString remote = root.filePath(QStringLiteral("remote"));
        if (folderExists)
            root.mkdir(QStringLiteral("remote"));
        test::SshServer server;
        BackupDestination destination = server.destination(remote);
        const auto forget = qScopeGuard([&] { KeychainService::deletePassphrase(destination.id); });
        if (!passphrase.isEmpty()) {
            destination.identityFile = server.addProtectedKey(passphrase);
            QVERIFY(KeychainService::savePassphrase(passphrase, destination.id));
        }

        const CheckResult plan = check(jobWithSource(root.filePath(QStringLiteral("source"))), destination);
        QCOMPARE(outcome(plan), passed);
        QVERIFY(plan->isSSH);
        QCOMPARE(plan->targetPath, remote);
        QCOMPARE(plan->environment.value(QString::fromLatin1(KeychainService::askpassDestinationVariable)),
            destination.id.toString(QUuid::WithoutBraces).toUpper());
        QVERIFY(QFileInfo(remote).isDir());
        // The askpass program started by the run's ssh must reach the keyring over the session bus.
        QCOMPARE(plan->environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")),
            passphrase.isEmpty() ? QString() : qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));

        // The plan runs as it is: rsync's ssh logs in (asking the askpass program when the key needs it).
        RsyncProcessController controller;
        const RsyncOutcome outcome = QCoro::waitFor(
            controller.run(*plan, root.filePath(QStringLiteral("run.log")), [](const RsyncEvent&) {}));
        QVERIFY2(
            outcome.exitCode == 0, test::TempDir::read(root.filePath(QStringLiteral("run.log"))).constData());
        QCOMPARE(test::TempDir::read(remote + QStringLiteral("/notes.txt")), QByteArray("kept"));
    }

    void sshChecksRefuse()
    {
        const test::TempDir root;
        root.write(QStringLiteral("source/notes.txt"), "kept");
        const BackupJob job = jobWithSource(root.filePath(QStringLiteral("source")));
        const test::SshServer stranger({ .trustHostKey = false, .banner = {} });
        BackupDestination destination = stranger.destination(root.mkdir(QStringLiteral("remote")));
        const SSHCommand::ProbeResult probe = QCoro::waitFor(SSHCommand::probe(destination, 20s));
        QCOMPARE(outcome(check(job, destination)),
            refusal("Cannot reach Server", probe.message,
                "Check the host, the SSH key and that the host key is already in known_hosts. Host key "
                "checking is never disabled.",
                true, "network.slash"));

        // The plan refuses an empty remote folder before anything is checked on this computer or the server.
        destination.path.clear();
        QCOMPARE(outcome(check(job, destination)),
            refusal("This backup cannot run", "Enter a folder on the server.", std::nullopt, false,
                "exclamationmark.triangle.fill"));

        if (!test::inPrivateMountNamespace())
            QSKIP("needs a private mount namespace (root)");
        const QString readOnly = root.mkdir(QStringLiteral("read-only"));
        test::Mount drive = test::Mount::tmpfs(readOnly);
        root.mkdir(QStringLiteral("read-only/existing"));
        drive.remountReadOnly();
        const test::SshServer server;
        destination = server.destination(readOnly + QStringLiteral("/backup"));
        QCOMPARE(outcome(check(job, destination)),
            refusal("Remote folder is not ready",
                "mkdir: cannot create directory '" + destination.path + "': Read-only file system",
                "Create the folder on the server, or choose one that exists.", false,
                "folder.badge.questionmark"));
        // A folder that is there but cannot be written is not made ready by creating it.
        destination.path = readOnly + QStringLiteral("/existing");
        QCOMPARE(outcome(check(job, destination)),
            refusal("Remote folder is not ready",
                "The folder " + destination.path + " is missing or not writable.",
                "Create the folder on the server, or choose one that exists.", false,
                "folder.badge.questionmark"));
    }
};

int main(int argc, char** argv)
{
    // Before any thread exists, so the checks' worker threads and every child see the test's mounts.
    test::enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    TestPreflightService test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PreflightService.moc"
