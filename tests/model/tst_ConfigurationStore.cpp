#include "model/ConfigurationCoding.h"
#include "model/ConfigurationStore.h"
#include "model/FileSystemError.h"
#include "support/FileMode.h"
#include "support/ManualClock.h"
#include "support/Mount.h"
#include "support/TempDir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

BackupJob sampleJob(const QDateTime& now, const QString& name = QStringLiteral("Photos"))
{
    BackupJob job = BackupJob::create(now);
    job.name = name;
    job.source = { QStringLiteral("/home/ada/Photos"), QStringLiteral("Photos"), std::nullopt, std::nullopt };
    job.mode = BackupMode::mirror;
    for (const QString& target : { QStringLiteral("/mnt/disk/Photos"), QStringLiteral("/mnt/nas/Photos") }) {
        BackupDestination destination = BackupDestination::create(now.addDays(-10));
        destination.name = target.section(QLatin1Char('/'), 2, 2);
        destination.path = target;
        destination.retryLimit = 4;
        destination.lastAttempt = now.addSecs(-60);
        destination.lastSuccess = now.addSecs(-30);
        destination.lastResult = RunResult::success;
        destination.lastError = QStringLiteral("earlier trouble");
        destination.nextRun = now.addDays(1);
        job.destinations.append(destination);
    }
    return job;
}

// A document with one job whose required "source" key was removed: damaged as a whole.
QByteArray documentWithJobMissingSource(const QDateTime& now)
{
    AppConfiguration configuration = AppConfiguration::create(now);
    configuration.jobs = { sampleJob(now) };
    QJsonObject root = QJsonDocument::fromJson(ConfigurationCoding::encode(configuration)).object();
    QJsonArray jobs = root[QStringLiteral("jobs")].toArray();
    QJsonObject job = jobs[0].toObject();
    job.remove(QStringLiteral("source"));
    jobs[0] = job;
    root[QStringLiteral("jobs")] = jobs;
    return QJsonDocument(root).toJson();
}

} // namespace

class tst_ConfigurationStore : public QObject {
    Q_OBJECT

    bool m_canMount = false;

private Q_SLOTS:
    // Before any thread exists: a thread made earlier would stay in the old mount namespace.
    void initTestCase() { m_canMount = test::enterPrivateMountNamespace(); }

    void missingFileGivesDefaultsAndWritesNothing()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);

        QVERIFY(store.config() == AppConfiguration::create(clock.now()));
        QVERIFY(!store.loadError());
        QCOMPARE(test::permissionBits(support.path() + "/Logs"), 0700);
        clock.advance(5s);
        QVERIFY(!QFile::exists(support.filePath("config.json")));
    }

    void savedDocumentReadsBackOwnerOnly()
    {
        test::TempDir support;
        test::ManualClock clock;
        AppConfiguration written;
        {
            ConfigurationStore store(support.path(), clock);
            store.addJob(sampleJob(clock.now()));
            QVERIFY(store.saveNow());
            written = store.config();
        }
        QCOMPARE(test::TempDir::read(support.filePath("config.json")), ConfigurationCoding::encode(written));
        QCOMPARE(test::permissionBits(support.filePath("config.json")), 0600);
        clock.advance(1h);
        ConfigurationStore reopened(support.path(), clock);
        QVERIFY(reopened.config() == written);
        QVERIFY(!reopened.loadError());
    }

    // A document that reads only after repairs (a repeated job id, a number out of range) is used, repaired,
    // written back at once and reported; the next load finds nothing to repair.
    void repairedDocumentIsSavedOnceAndReported()
    {
        test::TempDir support;
        test::ManualClock clock;
        AppConfiguration original = AppConfiguration::create(clock.now());
        const BackupJob job = sampleJob(clock.now());
        BackupJob twin = sampleJob(clock.now(), QStringLiteral("Twin"));
        twin.id = job.id;
        original.jobs = { job, twin };
        original.settings.historyRetentionDays = 4'294'967'297;
        support.write("config.json", ConfigurationCoding::encode(original));

        ConfigurationStore store(support.path(), clock);
        const QList<BackupJob>& jobs = store.config().jobs;
        QCOMPARE(jobs.size(), 2);
        QCOMPARE(jobs[0], job);
        QCOMPARE(jobs[1].name, QStringLiteral("Twin"));
        QVERIFY(jobs[1].id != job.id);
        QCOMPARE(store.config().settings.historyRetentionDays, qint64(36'500));
        QVERIFY(store.loadError());
        QVERIFY2(
            store.loadError()->startsWith(QStringLiteral(
                "Some values in the saved configuration could not be used as they were and were repaired: ")),
            qPrintable(*store.loadError()));
        QVERIFY(store.loadError()->contains(QStringLiteral("jobs[1].id repeated an earlier id")));
        QVERIFY(store.loadError()->contains(
            QStringLiteral("settings.historyRetentionDays was 4294967297 and is now 36500")));
        const QByteArray saved = test::TempDir::read(support.filePath("config.json"));
        QCOMPARE(saved, ConfigurationCoding::encode(store.config()));
        QVERIFY(!store.hasPendingSave());

        ConfigurationStore reopened(support.path(), clock);
        QVERIFY(reopened.config() == store.config());
        QVERIFY(!reopened.loadError());
        QVERIFY(!reopened.hasPendingSave());
    }

    // Saves killed before they finished left their temporaries; loading removes those of the store's own
    // documents and nothing else.
    void loadRemovesStaleTemporariesOfItsDocuments()
    {
        test::TempSupportDir support;
        test::ManualClock clock;
        const QByteArray document = ConfigurationCoding::encode(AppConfiguration::create(clock.now()));
        support.write("config.json", document);
        const QByteArray partial = document.left(40);
        for (const char* stale : { "config.json.aBcDeF", "config.json.QWERTY",
                 "Marrowvale-config-2026-12-09T08-21-00Z.json.xyzXYZ" })
            support.write(stale, partial);
        QStringList kept { "Logs", "config.json", "config.json.bak", "config.json.abc12d",
            "config.json.abcde", "config.json.linkTo", "folder.json.abcdef", "history.sqlite",
            "link.json.abcdef", "other.json.abcdef" };
        for (const char* other : { "config.json.bak", "config.json.abc12d", "config.json.abcde",
                 "history.sqlite", "other.json.abcdef" })
            support.write(other, partial);
        support.mkdir("folder.json.abcdef");
        QVERIFY(QFile::link(support.filePath("config.json"), support.filePath("link.json.abcdef")));
        QVERIFY(QFile::link(support.filePath("config.json"), support.filePath("config.json.linkTo")));

        ConfigurationStore store(support.path(), clock);
        QVERIFY(!store.loadError());
        QStringList left
            = QDir(support.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        left.sort();
        kept.sort();
        QCOMPARE(left, kept);
    }

    void damagedFileIsCopiedAsideAndNeverOverAnEarlierCopy_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        const test::ManualClock clock;
        QTest::newRow("not JSON") << QByteArray("{\"jobs\": [");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("wrong type") << QByteArray("{\"schemaVersion\": \"one\"}");
        QTest::newRow("job without source") << documentWithJobMissingSource(clock.now());
    }

    void damagedFileIsCopiedAsideAndNeverOverAnEarlierCopy()
    {
        QFETCH(QByteArray, damaged);
        test::TempDir support;
        test::ManualClock clock;
        const QString config = support.write("config.json", damaged);
        const QString stamp = QString::number(clock.now().toSecsSinceEpoch());

        ConfigurationStore first(support.path(), clock);
        const QString firstCopy = support.filePath("config.corrupt-" + stamp + ".json");
        QCOMPARE(first.loadError(),
            "The saved configuration could not be read. A copy was kept at " + firstCopy + ".");
        QVERIFY(first.config().jobs.isEmpty());
        QCOMPARE(test::TempDir::read(firstCopy), damaged);
        QCOMPARE(test::permissionBits(firstCopy), 0600);
        QCOMPARE(test::TempDir::read(config), damaged); // copied, not moved

        // A second damaged load in the same second keeps both copies.
        support.write("config.json", "second damage");
        ConfigurationStore second(support.path(), clock);
        const QString secondCopy = support.filePath("config.corrupt-" + stamp + "-2.json");
        QCOMPARE(second.loadError(),
            "The saved configuration could not be read. A copy was kept at " + secondCopy + ".");
        QCOMPARE(test::TempDir::read(secondCopy), QByteArray("second damage"));
        QCOMPARE(test::TempDir::read(firstCopy), damaged);

        // With a copy kept, saving may replace the damaged file.
        QVERIFY(second.saveNow());
        QCOMPARE(test::TempDir::read(config), ConfigurationCoding::encode(second.config()));
    }

    void unreadableFileIsNeverReplaced_data()
    {
        QTest::addColumn<bool>("pipe");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder") << false << "Is a directory";
        QTest::newRow("named pipe") << true << "it is not a regular file";
    }

    void unreadableFileIsNeverReplaced()
    {
        QFETCH(bool, pipe);
        QFETCH(QString, reason);
        test::TempDir support;
        test::ManualClock clock;
        const QString config = support.filePath("config.json");
        if (pipe)
            QCOMPARE(::mkfifo(QFile::encodeName(config).constData(), 0600), 0);
        else
            support.write("config.json/keep.txt", "not ours to remove");

        ConfigurationStore store(support.path(), clock);
        const QString message = "The saved configuration “" + config + "” could not be read: " + reason
            + ". It was left as it is, and changes made now will not be saved.";
        QCOMPARE(store.loadError(), message);
        store.addJob(sampleJob(clock.now()));
        clock.advance(1s);
        QVERIFY(!store.saveNow());
        QCOMPARE(store.loadError(), message);

        struct stat info { };
        QCOMPARE(::lstat(QFile::encodeName(config).constData(), &info), 0);
        QVERIFY(pipe ? S_ISFIFO(info.st_mode) : S_ISDIR(info.st_mode));
        QVERIFY(QDir(support.path()).entryList({ "config.corrupt-*" }).isEmpty());
    }

    void supportFolderThatCannotBeMadeGivesDefaultsAndFailedSaves()
    {
        test::TempDir support;
        test::ManualClock clock;
        const QString blocked = support.write("not-a-folder", "x");

        ConfigurationStore store(blocked, clock);
        QVERIFY(store.config() == AppConfiguration::create(clock.now()));
        QVERIFY(!store.loadError());

        store.addJob(sampleJob(clock.now()));
        clock.advance(250ms);
        QCOMPARE(store.loadError(),
            "The configuration could not be saved: The folder “" + blocked
                + "” could not be created: File exists.");
        QCOMPARE(test::TempDir::read(blocked), QByteArray("x"));
    }

    void damagedFileThatCannotBeCopiedIsNeverReplaced()
    {
        test::TempDir support;
        test::ManualClock clock;
        const QString stamp = QString::number(clock.now().toSecsSinceEpoch());
        // Every name a copy could take in this second is already used by an earlier copy.
        support.write("config.corrupt-" + stamp + ".json", "earlier");
        for (int n = 2; n <= 1000; ++n)
            support.write(QStringLiteral("config.corrupt-%1-%2.json").arg(stamp).arg(n), "earlier");
        const QString config = support.write("config.json", "{ damaged");

        ConfigurationStore store(support.path(), clock);
        QVERIFY(store.loadError()->contains("no copy of it could be kept"));
        store.addJob(sampleJob(clock.now()));
        clock.advance(1s);
        QVERIFY(!store.saveNow());
        QCOMPARE(test::TempDir::read(config), QByteArray("{ damaged"));
        QCOMPARE(test::TempDir::read(support.filePath("config.corrupt-" + stamp + ".json")),
            QByteArray("earlier"));
    }

    void burstOfEditsGivesOneDebouncedWrite()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        const QString config = support.filePath("config.json");

        for (int i = 0; i < 10; ++i) {
            store.addJob(sampleJob(clock.now(), QString::number(i)));
            clock.advance(100ms);
            QVERIFY(!QFile::exists(config));
        }
        clock.advance(149ms);
        QVERIFY(!QFile::exists(config));
        clock.advance(1ms);
        QCOMPARE(test::TempDir::read(config), ConfigurationCoding::encode(store.config()));
        QCOMPARE(store.config().jobs.size(), 10);

        QFile::remove(config);
        clock.advance(10s);
        QVERIFY(!QFile::exists(config));
    }

    void saveNowWritesAtOnceAndCancelsThePendingSave()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        const QString config = support.filePath("config.json");

        store.addJob(sampleJob(clock.now()));
        clock.advance(100ms);
        QVERIFY(store.hasPendingSave());
        QVERIFY(store.saveNow());
        QVERIFY(QFile::exists(config));
        QVERIFY(!store.hasPendingSave());

        QFile::remove(config);
        clock.advance(10s);
        QVERIFY(!QFile::exists(config));
        QCOMPARE(clock.pendingAlarms(), 0);
    }

    void failedSaveKeepsItsMessageAfterALaterSuccess()
    {
        test::TempDir parent;
        test::ManualClock clock;
        const QString folder = parent.filePath("support");
        ConfigurationStore store(folder, clock);

        // A file takes the folder's place, then goes away again.
        QVERIFY(QDir(folder).removeRecursively());
        parent.write("support", "x");
        QVERIFY(!store.saveNow());
        const QString message = "The configuration could not be saved: The folder “" + folder
            + "” could not be created: File exists.";
        QCOMPARE(store.loadError(), message);

        QVERIFY(QFile::remove(folder));
        QVERIFY(store.saveNow());
        QCOMPARE(store.loadError(), message);
    }

    // On a full disk the saved document stays as it was, whole, and every failed save is told again.
    void saveOnAFullDiskKeepsTheSavedDocument()
    {
        if (!m_canMount)
            QSKIP("a full folder needs a mount");
        test::TempDir support;
        test::ManualClock clock;
        auto disk = test::Mount::tmpfs(support.path(), "size=64k");
        ConfigurationStore store(support.path(), clock);
        store.addJob(sampleJob(clock.now()));
        QVERIFY(store.saveNow());
        const QString config = support.filePath("config.json");
        const QByteArray saved = test::TempDir::read(config);
        QSignalSpy told(&store, &ConfigurationStore::loadErrorChanged);

        disk.fill();
        store.addJob(sampleJob(clock.now(), "Music"));
        QVERIFY(!store.saveNow());
        QVERIFY(!store.saveNow());
        QCOMPARE(store.loadError(),
            "The configuration could not be saved: “" + config
                + "” could not be written: No space left on device.");
        QCOMPARE(told.size(), 2);
        QCOMPARE(test::TempDir::read(config), saved);
        QCOMPARE(QDir(support.path()).entryList(QDir::Files), QStringList { "config.json" });
    }

    void jobEditsStampAndSave()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        QSignalSpy changes(&store, &ConfigurationStore::changed);
        const BackupJob a = sampleJob(clock.now(), "A");
        const BackupJob b = sampleJob(clock.now(), "B");

        store.addJob(a);
        store.addJob(b);
        store.addJob(a); // no check for an existing id
        BackupJob renamed = a;
        renamed.name = "A renamed";
        store.replaceJob(renamed);
        QCOMPARE(store.config().jobs.size(), 3);
        QCOMPARE(store.config().jobs[0].name, "A renamed");
        QCOMPARE(store.config().jobs[2].name, "A");
        QCOMPARE(store.job(a.id)->name, "A renamed");

        const BackupJob c = sampleJob(clock.now(), "C");
        store.replaceJob(c);
        QCOMPARE(store.config().jobs.last().name, "C");

        store.deleteJob(a.id);
        QCOMPARE(store.config().jobs.size(), 2);
        QCOMPARE(store.config().jobs[0].name, "B");
        QCOMPARE(store.config().jobs[1].name, "C");
        QVERIFY(!store.job(a.id));
        QCOMPARE(changes.count(), 6);

        clock.advance(1s);
        const QDateTime before = store.config().updatedAt;
        store.deleteJob(QUuid::createUuid());
        QCOMPARE(store.config().jobs.size(), 2);
        QCOMPARE(store.config().updatedAt, clock.now());
        QVERIFY(store.config().updatedAt != before);
        clock.advance(250ms);
        QCOMPARE(test::TempDir::read(support.filePath("config.json")),
            ConfigurationCoding::encode(store.config()));
    }

    void duplicateMakesAFreshCopy()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        const BackupJob original = sampleJob(clock.now().addDays(-30));
        store.addJob(original);
        clock.advance(1h);

        const auto copy = store.duplicateJob(original.id);
        QVERIFY(copy);
        QCOMPARE(store.config().jobs.size(), 2);
        QVERIFY(store.config().jobs.last() == *copy);
        QCOMPARE(copy->name, "Photos Copy");
        QVERIFY(copy->id != original.id && !copy->id.isNull());
        QCOMPARE(copy->createdAt, clock.now());
        QVERIFY(copy->source == original.source);
        QVERIFY(copy->mode == original.mode);
        QCOMPARE(copy->destinations.size(), 2);
        for (int i = 0; i < 2; ++i) {
            const BackupDestination& fresh = copy->destinations[i];
            BackupDestination expected = original.destinations[i];
            QVERIFY(fresh.id != expected.id && !fresh.id.isNull());
            expected.id = fresh.id;
            expected.createdAt = clock.now();
            expected.lastAttempt = expected.lastSuccess = expected.nextRun = std::nullopt;
            expected.lastResult = std::nullopt;
            expected.lastError = std::nullopt;
            QVERIFY(fresh == expected);
        }

        QCOMPARE(store.duplicateJob(copy->id)->name, "Photos Copy Copy");

        clock.advance(1s);
        const AppConfiguration before = store.config();
        QVERIFY(!store.duplicateJob(QUuid::createUuid()));
        QVERIFY(store.config() == before);
    }

    void updateDestinationChangesOnlyAnExistingDestination()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        const BackupJob job = sampleJob(clock.now());
        store.addJob(job);
        QVERIFY(store.saveNow());
        clock.advance(1s);

        const auto markFailed = [](BackupDestination& d) { d.lastResult = RunResult::failed; };
        store.updateDestination(job.id, QUuid::createUuid(), markFailed);
        store.updateDestination(QUuid::createUuid(), job.destinations[0].id, markFailed);
        QCOMPARE(store.config().updatedAt, clock.now().addSecs(-1));
        QVERIFY(!store.hasPendingSave());

        store.updateDestination(job.id, job.destinations[1].id, markFailed);
        QVERIFY(store.config().jobs[0].destinations[0].lastResult == RunResult::success);
        QVERIFY(store.config().jobs[0].destinations[1].lastResult == RunResult::failed);
        QCOMPARE(store.config().updatedAt, clock.now());
        QVERIFY(store.hasPendingSave());
    }

    void exportWritesTheDocumentUnderATimeStampedName()
    {
        test::TempDir support;
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        store.addJob(sampleJob(clock.now()));

        const QString path = store.exportConfiguration();
        QCOMPARE(path, support.filePath("Marrowvale-config-2026-12-09T08-21-00Z.json"));
        QCOMPARE(test::TempDir::read(path), ConfigurationCoding::encode(store.config()));
        QCOMPARE(test::permissionBits(path), 0600);

        clock.advance(500ms); // same second: the later export replaces the earlier one
        store.addJob(sampleJob(clock.now(), "Second"));
        QCOMPARE(store.exportConfiguration(), path);
        QCOMPARE(test::TempDir::read(path), ConfigurationCoding::encode(store.config()));

        // A file where the folder was.
        QVERIFY(QDir(support.path()).removeRecursively());
        QVERIFY(QFile(support.path()).open(QIODevice::WriteOnly));
        QVERIFY_THROWS_EXCEPTION(FileSystemError, store.exportConfiguration());
        QVERIFY(QFile::remove(support.path()));
    }
};

QTEST_GUILESS_MAIN(tst_ConfigurationStore)
#include "tst_ConfigurationStore.moc"
