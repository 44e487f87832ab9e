#include "engine/PlanBuilder.h"
#include "engine/VersionedStore.h"
#include "model/AppSettings.h"
#include "model/BackupJob.h"
#include "model/PathValidationError.h"
#include "support/EnumCompare.h"
#include "support/ExecutableScript.h"
#include "support/TempDir.h"

#include <QtTest>

#include <ctime>

using mv::BackupDestination;
using mv::BackupJob;
using mv::BackupMode;
using mv::DestinationKind;
using mv::RunPlan;
namespace PlanBuilder = mv::PlanBuilder;
namespace VersionedStore = mv::VersionedStore;

namespace {

const QDateTime now(QDate(2026, 12, 9), QTime(8, 21), Qt::UTC);

const QStringList fixed { "--human-readable", "--outbuf=L", "--stats", "--partial",
    "--partial-dir=.rsync-partial", "--temp-dir=.rsync-partial", "--protect-args", "--info=progress2,name0",
    "--out-format=XFER %n" };

QStringList basic()
{
    return QStringList { "--recursive", "--links", "--times" } + fixed;
}

// A job backing up a folder of `dir` with no exclusions, and a local destination beside it.
struct Setup {
    mv::test::TempDir dir;
    BackupJob job = BackupJob::create(now);
    BackupDestination destination = BackupDestination::create(now);
    mv::AppSettings settings;

    Setup()
    {
        job.source.path = dir.mkdir("source");
        job.options.preservePermissions = false;
        job.options.preserveExtendedAttributes = false;
        job.options.builtInExclusions.clear();
        destination.path = dir.filePath("backup");
    }
    QString source() const { return dir.filePath("source"); }
    QString backup() const { return dir.filePath("backup"); }
    RunPlan build(const QDateTime& at = now) const
    {
        return PlanBuilder::build(job, destination, settings, at);
    }
};

BackupDestination sshDestination()
{
    BackupDestination destination = BackupDestination::create(now);
    destination.kind = DestinationKind::ssh;
    destination.host = "backup.example.net";
    destination.user = "me";
    destination.port = 22;
    destination.path = "/srv/backups/";
    return destination;
}

QString refusal(const std::function<void()>& build)
{
    try {
        build();
    } catch (const mv::PathValidationError& error) {
        return error.message;
    }
    return QStringLiteral("(not refused)");
}

} // namespace

class tst_PlanBuilder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Half-hour offset: the stamp must be the local time of the system's zone, not UTC.
        qputenv("TZ", "MVT-5:30");
        ::tzset();
    }

    void localArgumentVectors_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("perms");
        QTest::addColumn<bool>("xattrs");
        QTest::addColumn<bool>("ownership");
        QTest::addColumn<int>("jobLimit"); // -1: none
        QTest::addColumn<int>("settingsLimit"); // -1: none
        QTest::addColumn<QStringList>("builtIns");
        QTest::addColumn<QStringList>("custom");
        QTest::addColumn<QStringList>("expected"); // without the source and the target

        QTest::newRow("nothing set") << "incremental" << false << false << false << -1 << -1 << QStringList()
                                     << QStringList() << basic();
        QTest::newRow("every metadata option")
            << "incremental" << true << true << true << -1 << -1 << QStringList() << QStringList()
            << QStringList {
                   "--recursive", "--links", "--times", "--perms", "--xattrs", "--owner", "--group"
               } + fixed;
        QTest::newRow("mirror options come first") << "mirror" << false << false << false << 200 << -1
                                                   << QStringList { "git" } << QStringList { "*.iso" }
                                                   << basic()
                + QStringList { "--delete", "--delete-delay", "--bwlimit=200", "--exclude=.git/",
                      "--exclude=*.iso" };
        QTest::newRow("settings limit applies")
            << "incremental" << false << false << false << -1 << 500 << QStringList() << QStringList()
            << basic() + QStringList { "--bwlimit=500" };
        QTest::newRow("job limit 0 switches it off") << "incremental" << false << false << false << 0 << 500
                                                     << QStringList() << QStringList() << basic();
        QTest::newRow("negative settings limit") << "incremental" << false << false << false << -1 << 0
                                                 << QStringList() << QStringList() << basic();
        QTest::newRow("exclusions in a fixed order, empty ones skipped, the rest unchanged")
            << "incremental" << false << false << false << -1 << -1
            << QStringList { "caches", "finderMetadata", "git" } << QStringList { " b ", "", "a", "a" }
            << basic()
                + QStringList { "--exclude=.DS_Store", "--exclude=.git/", "--exclude=Library/Caches/",
                      "--exclude= b ", "--exclude=a", "--exclude=a" };
        QTest::newRow("patterns rsync would read as rules stay literal")
            << "mirror" << false << false << false << -1 << -1 << QStringList()
            << QStringList { "+ *", "- x", "!", "!keep", "+x", "-x", " + y" }
            << basic()
                + QStringList { "--delete", "--delete-delay", "--exclude=- + *", "--exclude=- - x",
                      "--exclude=- !", "--exclude=- !keep", "--exclude=+x", "--exclude=-x",
                      "--exclude= + y" };
    }
    void localArgumentVectors()
    {
        QFETCH(QString, mode);
        QFETCH(bool, perms);
        QFETCH(bool, xattrs);
        QFETCH(bool, ownership);
        QFETCH(int, jobLimit);
        QFETCH(int, settingsLimit);
        QFETCH(QStringList, builtIns);
        QFETCH(QStringList, custom);
        QFETCH(QStringList, expected);

        Setup setup;
        setup.job.mode = *mv::enumFromString<BackupMode>(mode);
        setup.job.options.preservePermissions = perms;
        setup.job.options.preserveExtendedAttributes = xattrs;
        setup.job.options.preserveOwnership = ownership;
        if (jobLimit >= 0)
            setup.job.options.bandwidthLimitKBps = jobLimit;
        if (settingsLimit >= 0)
            setup.settings.bandwidthLimitKBps = settingsLimit;
        for (const QString& name : builtIns)
            setup.job.options.builtInExclusions.insert(*mv::enumFromString<mv::BuiltInExclusion>(name));
        setup.job.options.customExclusions = custom;

        const RunPlan plan = setup.build();
        QCOMPARE(plan.arguments, (expected + QStringList { setup.source() + "/", setup.backup() }));
        QCOMPARE(plan.targetPath, setup.backup());
        QVERIFY(QFileInfo(setup.backup()).isDir()); // the target folder is made
        QCOMPARE(plan.snapshotPath, std::nullopt);
        QCOMPARE(plan.environment,
            (QMap<QString, QString> { { "LC_ALL", "C" }, { "LANG", "C" },
                { "PATH", "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin" } }));
    }

    // A mirror keeps an excluded file at the destination. Were "!" or "+ *" read as rules, the exclusion
    // would be cleared or overridden, and rsync would delete the file.
    void mirrorKeepsAnExcludedFileWhateverElseIsExcluded_data()
    {
        QTest::addColumn<QStringList>("custom");
        QTest::newRow("a pattern that clears the list") << QStringList { "notes.txt", "!" };
        QTest::newRow("a pattern that includes everything") << QStringList { "+ *", "notes.txt" };
        QTest::newRow("a pattern that excludes by rule") << QStringList { "- other", "notes.txt" };
    }
    void mirrorKeepsAnExcludedFileWhateverElseIsExcluded()
    {
        QFETCH(QStringList, custom);
        Setup setup;
        setup.job.mode = BackupMode::mirror;
        setup.job.options.customExclusions = custom;
        setup.dir.write("source/kept.txt", "copied");
        setup.dir.mkdir("backup");
        setup.dir.write("backup/notes.txt", "excluded, never deleted");
        const RunPlan plan = setup.build();

        QProcess rsync;
        rsync.setProcessChannelMode(QProcess::ForwardedChannels);
        rsync.start(plan.executable, plan.arguments);
        QVERIFY(rsync.waitForFinished(60'000));
        QCOMPARE(rsync.exitCode(), 0);
        QCOMPARE(mv::test::TempDir::read(setup.backup() + "/kept.txt"), "copied");
        QCOMPARE(mv::test::TempDir::read(setup.backup() + "/notes.txt"), "excluded, never deleted");
    }

    void planCopiesTheDestinationAndRaisesRetention()
    {
        Setup setup;
        setup.job.source.path = setup.source() + "/./"; // normalised: no trailing "/", so no "//"
        setup.destination.retention = 0;
        setup.destination.modeOverride = BackupMode::mirror;
        RunPlan plan = setup.build();
        QCOMPARE(plan.sourcePath, setup.source());
        QCOMPARE(plan.arguments.sliced(plan.arguments.size() - 2),
            (QStringList { setup.source() + "/", setup.backup() }));
        QCOMPARE(plan.mode, BackupMode::mirror);
        QCOMPARE(plan.retention, 1);
        QCOMPARE(plan.executable, "/usr/bin/rsync");
        QCOMPARE(plan.jobID, setup.job.id);
        QCOMPARE(plan.destinationID, setup.destination.id);
        QVERIFY(!plan.isSSH && !plan.targetIsRemote && !plan.sourceChangedWhileCopying);
        setup.destination.retention = 5;
        QCOMPARE(setup.build().retention, 5);
    }

    void versionedRunsMakeMarkerSnapshotAndLinkToThePreviousOne()
    {
        Setup setup;
        setup.job.mode = BackupMode::versioned;

        const RunPlan first = setup.build();
        const QString firstSnapshot = setup.backup() + "/2026-12-09_135100";
        QCOMPARE(first.snapshotPath, firstSnapshot);
        QCOMPARE(first.targetPath, firstSnapshot);
        QVERIFY(QFileInfo(firstSnapshot).isDir());
        QVERIFY(first.createdSnapshotFolder);
        QCOMPARE(mv::test::TempDir::read(setup.backup() + "/.marrowVale-versions"),
            QByteArray("Marrowvale versioned snapshots\n"));
        QCOMPARE(mv::test::TempDir::read(setup.backup() + "/.marrowVale-versions").size(), 31);
        QCOMPARE(first.arguments, (basic() + QStringList { setup.source() + "/", firstSnapshot }));
        // Unfinished until its run succeeds, as the coordinator then notes.
        QVERIFY(QFileInfo::exists(setup.backup() + "/.marrowVale-unfinished-2026-12-09_135100"));
        QCOMPARE(VersionedStore::snapshots(setup.backup()), QStringList());
        QCOMPARE(VersionedStore::finishSnapshot(firstSnapshot), std::nullopt);
        QVERIFY(!QFileInfo::exists(setup.backup() + "/.marrowVale-unfinished-2026-12-09_135100"));

        // Decoys that must never become the link base: a file, a link, and the new run's own folder.
        setup.dir.write("backup/2026-12-09_2359", "not a folder");
        QVERIFY(QFile::link(firstSnapshot, setup.backup() + "/2026-12-09_235900"));
        setup.dir.mkdir("backup/2026-12-10_000100");
        const RunPlan second = setup.build(QDateTime(QDate(2026, 12, 9), QTime(18, 31), Qt::UTC));
        QCOMPARE(second.snapshotPath, setup.backup() + "/2026-12-10_000100");
        // The folder was there before (a run in the same second), so it is not this attempt's to discard.
        QVERIFY(!second.createdSnapshotFolder);
        QCOMPARE(second.arguments,
            (basic()
                + QStringList {
                    "--link-dest=" + firstSnapshot, setup.source() + "/", *second.snapshotPath }));

        QCOMPARE(VersionedStore::snapshots(setup.backup()),
            (QStringList { setup.backup() + "/2026-12-10_000100", setup.backup() + "/2026-12-09_235900",
                setup.backup() + "/2026-12-09_2359", firstSnapshot }));
        QCOMPARE(VersionedStore::latestSnapshot(setup.backup(), std::nullopt),
            setup.backup() + "/2026-12-10_000100");
        QCOMPARE(VersionedStore::latestSnapshot(setup.dir.filePath("missing"), std::nullopt), std::nullopt);
    }

    void markerIsNeverWrittenThroughALink()
    {
        Setup setup;
        setup.job.mode = BackupMode::versioned;
        setup.dir.mkdir("backup");
        const QString elsewhere = setup.dir.filePath("elsewhere");
        QVERIFY(QFile::link(elsewhere, setup.backup() + "/.marrowVale-versions"));
        setup.build();
        QVERIFY(!QFileInfo::exists(elsewhere));
    }

    void sshArgumentVectors_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("identity");
        QTest::addColumn<QString>("sshCommand");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("rsyncPath");
        const QString options
            = "/usr/bin/ssh -o BatchMode=yes -o StrictHostKeyChecking=yes -o ConnectTimeout=15 "
              "-o ServerAliveInterval=15 -o ServerAliveCountMax=4 -p 22";
        QTest::newRow("plain") << "backup.example.net"
                               << "/srv/backups/"
                               << "" << options << "me@backup.example.net:/srv/backups"
                               << "mkdir -p -- '/srv/backups/.rsync-partial' && rsync";
        QTest::newRow("identity with blank and quote stays one word")
            << "backup.example.net"
            << "/srv/backups"
            << "/home/me/my keys/it's \"id\"" << options + " -i '/home/me/my keys/it''s \"id\"'"
            << "me@backup.example.net:/srv/backups"
            << "mkdir -p -- '/srv/backups/.rsync-partial' && rsync";
        QTest::newRow("identity kept as stored") << "h"
                                                 << "/b"
                                                 << "~/.ssh/id_ed25519" << options + " -i ~/.ssh/id_ed25519"
                                                 << "me@h:/b"
                                                 << "mkdir -p -- '/b/.rsync-partial' && rsync";
        QTest::newRow("IPv6 in brackets in the target") << "::1"
                                                        << "/b"
                                                        << "" << options << "me@[::1]:/b"
                                                        << "mkdir -p -- '/b/.rsync-partial' && rsync";
        QTest::newRow("IPv6 stored in brackets") << "[fe80::1]"
                                                 << "/b"
                                                 << "" << options << "me@[fe80::1]:/b"
                                                 << "mkdir -p -- '/b/.rsync-partial' && rsync";
        QTest::newRow("home folder path relative") << "h"
                                                   << "~/backups/docs/"
                                                   << "" << options << "me@h:backups/docs"
                                                   << "mkdir -p -- 'backups/docs/.rsync-partial' && rsync";
        QTest::newRow("quote in the path") << "h"
                                           << "/srv/it's"
                                           << "" << options << "me@h:/srv/it's"
                                           << "mkdir -p -- '/srv/it'\\''s/.rsync-partial' && rsync";
        QTest::newRow("home folder itself") << "h"
                                            << "~"
                                            << "" << options << "me@h:."
                                            << "mkdir -p -- './.rsync-partial' && rsync";
    }
    void sshArgumentVectors()
    {
        QFETCH(QString, host);
        QFETCH(QString, path);
        QFETCH(QString, identity);
        QFETCH(QString, sshCommand);
        QFETCH(QString, target);
        QFETCH(QString, rsyncPath);
        Setup setup;
        setup.destination = sshDestination();
        setup.destination.host = host;
        setup.destination.path = path;
        setup.destination.identityFile = identity;

        const RunPlan plan = setup.build();
        QCOMPARE(plan.arguments,
            (basic()
                + QStringList {
                    "-e", sshCommand, "--rsync-path=" + rsyncPath, setup.source() + "/", target }));
        QVERIFY(plan.isSSH && plan.targetIsRemote);
        QCOMPARE(plan.sshHost, host);
        QCOMPARE(plan.sshIdentity, identity);
        QVERIFY(!QFileInfo::exists(setup.backup()));
    }

    void sshVersionedRunCopiesIntoANewFolderWithoutLinks()
    {
        Setup setup;
        setup.destination = sshDestination();
        setup.destination.modeOverride = BackupMode::versioned;
        const RunPlan plan = setup.build();
        QCOMPARE(plan.snapshotPath, "/srv/backups/2026-12-09_135100");
        QCOMPARE(plan.arguments.last(), "me@backup.example.net:/srv/backups/2026-12-09_135100");
        QVERIFY(!plan.arguments.join(' ').contains("--link-dest"));
    }

    // The plan follows the caller's one keyring answer; it never asks the keyring itself.
    void storedPassphraseLetsSshAskOnce()
    {
        Setup setup;
        setup.destination = sshDestination();
        const RunPlan plan = PlanBuilder::build(
            setup.job, setup.destination, setup.settings, now, std::nullopt, std::nullopt, true);
        QVERIFY(plan.usesStoredPassphrase);
        QCOMPARE(plan.arguments.at(plan.arguments.indexOf("-e") + 1),
            "/usr/bin/ssh -o BatchMode=no -o NumberOfPasswordPrompts=1 -o PreferredAuthentications=publickey "
            "-o StrictHostKeyChecking=yes -o ConnectTimeout=15 -o ServerAliveInterval=15 "
            "-o ServerAliveCountMax=4 -p 22");
    }

    void refusals_data()
    {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        QTest::newRow("port 0") << 0 << "me"
                                << "/b"
                                << "The port must be between 1 and 65535.";
        QTest::newRow("port 65536") << 65536 << "me"
                                    << "/b"
                                    << "The port must be between 1 and 65535.";
        QTest::newRow("user with blank") << 22 << "m e"
                                         << "/b"
                                         << "The SSH user name is not valid.";
        QTest::newRow("relative path") << 22 << "me"
                                       << "b"
                                       << "Use an absolute remote folder.";
    }
    void refusals()
    {
        QFETCH(int, port);
        QFETCH(QString, user);
        QFETCH(QString, path);
        QFETCH(QString, message);
        Setup setup;
        setup.destination = sshDestination();
        setup.destination.port = port;
        setup.destination.user = user;
        setup.destination.path = path;
        QCOMPARE(refusal([&] { setup.build(); }), message);
    }

    void localRefusalsComeFromPathValidation()
    {
        Setup setup;
        setup.destination.path = setup.source() + "/inner";
        QCOMPARE(refusal([&] { setup.build(); }), "The source and destination overlap.");
        setup.job.source.path = setup.dir.filePath("gone");
        QCOMPARE(refusal([&] { setup.build(); }), "The source folder is not available.");
    }

    void configuredRsyncIsUsedOnlyWhenExecutable()
    {
        mv::test::TempDir dir;
        mv::AppSettings settings;
        settings.rsyncPath = mv::test::executableScript(dir, "my-rsync", "exit 0");
        QCOMPARE(PlanBuilder::resolveRsyncExecutable(settings), settings.rsyncPath);
        settings.rsyncPath = dir.path(); // a folder is not an executable
        QCOMPARE(PlanBuilder::resolveRsyncExecutable(settings), "/usr/bin/rsync");
        settings.rsyncPath = dir.write("plain", "not executable");
        QCOMPARE(PlanBuilder::resolveRsyncExecutable(settings), "/usr/bin/rsync");
    }
};

QTEST_GUILESS_MAIN(tst_PlanBuilder)
#include "tst_PlanBuilder.moc"
