#include "model/ConfigurationCoding.h"
#include "model/ConfigurationStore.h"
#include "model/DemoSeeder.h"
#include "model/HistoryRepository.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"

#include <QtTest>

#include <sys/stat.h>

using namespace mv;
using namespace std::chrono_literals;

namespace {

// MARROWVALE_DEMO set (or unset, for a null value) for one test.
class DemoEnvironment {
public:
    explicit DemoEnvironment(const QByteArray& value)
    {
        value.isNull() ? qunsetenv("MARROWVALE_DEMO") : qputenv("MARROWVALE_DEMO", value);
    }
    ~DemoEnvironment() { qunsetenv("MARROWVALE_DEMO"); }
};

QString demo(const test::TempDir& support, const QString& relative)
{
    return support.filePath("Demo/" + relative);
}

} // namespace

class tst_DemoData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void seedsFoldersFilesJobsAndTheirHistory()
    {
        test::TempDir support;
        DemoEnvironment environment("1");
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        DemoSeeder seeder(store, clock);
        AppConfiguration quiet = store.config();
        quiet.settings.notifySuccess = false;
        store.setConfig(quiet);
        clock.advance(1h);

        seeder.seedConfigurationIfNeeded();

        const QList<std::pair<QString, QByteArray>> files {
            { "Documents/Notes.md", "# Notes\nA small demo folder for Marrowvale." },
            { "Documents/Letters/Offer letter.txt", "Welcome aboard." },
            { "Documents/Letters/Reference — Zoë.txt", "Unicode names survive rsync." },
            { "Documents/Receipts/2026/receipt 01.txt", "Coffee, 4.50" },
            { "Documents/Receipts/2026/receipt 02.txt", "Lunch, 12.00" },
            { "Documents/Holiday plan.txt", "Book the ferry." },
            { "Projects/Marrowvale/README.md", "A native menu bar backup utility." },
            { "Projects/Marrowvale/Sources/main.cpp", "// demo" },
            { "Projects/Marrowvale/.build/cache.bin", QByteArray(4096, 'x') },
            { "Projects/Website/index.html", "<!doctype html><title>Demo</title>" },
            { "Pictures/Camera/IMG_0001.txt", "placeholder" },
            { "Pictures/Screenshots/Shot 1.txt", "placeholder" },
        };
        for (const auto& [relative, text] : files)
            QCOMPARE(test::TempDir::read(demo(support, "Sources/" + relative)), text);
        struct stat video { };
        QCOMPARE(
            ::stat(QFile::encodeName(demo(support, "Sources/Documents/Archive/demo-video.bin")).constData(),
                &video),
            0);
        QCOMPARE(qint64(video.st_size), 31'457'280);
        QVERIFY(qint64(video.st_blocks) * 512 < 1'000'000); // sparse: it takes no space for its zeros

        const QDateTime now = clock.now();
        const AppConfiguration& config = store.config();
        QVERIFY(config.settings.notifySuccess);
        QCOMPARE(config.updatedAt, quiet.updatedAt); // seeding is not an edit
        QCOMPARE(test::TempDir::read(support.filePath("config.json")), ConfigurationCoding::encode(config));
        QCOMPARE(config.jobs.size(), 3);

        const BackupJob& documents = config.jobs[0];
        QCOMPARE(documents.name, "Documents");
        QVERIFY(documents.mode == BackupMode::incremental);
        QCOMPARE(documents.source.path, demo(support, "Sources/Documents"));
        QCOMPARE(documents.source.displayName, "Documents");
        QCOMPARE(documents.options.bandwidthLimitKBps, 4096);
        QCOMPARE(documents.createdAt, now);
        QCOMPARE(documents.destinations.size(), 2);
        const BackupDestination& ssd = documents.destinations[0];
        QCOMPARE(ssd.name, "Backup SSD");
        QVERIFY(ssd.kind == DestinationKind::local);
        QCOMPARE(ssd.path, demo(support, "Backups/Backup SSD/Documents"));
        QVERIFY(QFileInfo(ssd.path).isDir());
        QVERIFY(ssd.volumeIdentity && ssd.volumeName);
        QVERIFY(ssd.lastAttempt == now.addSecs(-720) && ssd.lastSuccess == ssd.lastAttempt);
        QVERIFY(ssd.lastResult == RunResult::success);
        const BackupDestination& homeNas = documents.destinations[1];
        QVERIFY(homeNas.kind == DestinationKind::network && homeNas.schedule.kind == ScheduleKind::daily);
        QCOMPARE(homeNas.path, demo(support, "Backups/Home NAS/Documents"));
        QVERIFY(!homeNas.nextRun);

        const BackupJob& projects = config.jobs[1];
        QCOMPARE(projects.name, "Projects");
        QVERIFY(projects.mode == BackupMode::versioned && !projects.options.bandwidthLimitKBps);
        const BackupDestination& projectsSsd = projects.destinations.value(0);
        QCOMPARE(projectsSsd.path, demo(support, "Backups/Backup SSD/Projects"));
        QVERIFY(projectsSsd.lastSuccess == now.addSecs(-93'600));
        QVERIFY(projectsSsd.nextRun);
        QVERIFY(projectsSsd.nextRun == projectsSsd.schedule.nextRun(now, QTimeZone::systemTimeZone()));

        const BackupJob& photos = config.jobs[2];
        QCOMPARE(photos.name, "Photo Library");
        const BackupDestination& share = photos.destinations.value(0);
        QCOMPARE(share.path, "/mnt/MarrowvaleDemoNAS/Photos");
        QVERIFY(!QFileInfo::exists(share.path));
        QVERIFY(!share.volumeIdentity && !share.volumeName && !share.lastSuccess);
        QVERIFY(share.lastAttempt == now.addSecs(-259'200) && share.lastResult == RunResult::failed);
        QCOMPARE(share.lastError, "The destination volume is not mounted.");

        HistoryRepository history(support.filePath("history.sqlite"), clock);
        seeder.seedHistoryIfNeeded(history);
        seeder.seedHistoryIfNeeded(history);
        const auto rows = history.fetch(10, 0);
        QCOMPARE(rows.size(), size_t(3));
        const BackupRunRecord& newest = rows[0];
        QCOMPARE(newest.jobID, documents.id);
        QCOMPARE(newest.jobName, "Documents");
        QCOMPARE(newest.sourcePath, documents.source.path);
        QCOMPARE(newest.destinationID, ssd.id);
        QCOMPARE(newest.destinationPath, ssd.path);
        QVERIFY(newest.endedAt == now.addSecs(-720) && newest.startedAt == now.addSecs(-782));
        QVERIFY(newest.result == RunResult::success && newest.trigger == RunTrigger::manual);
        QCOMPARE(newest.bytesTransferred, 4'800'000);
        QCOMPARE(newest.filesCopied, 24);
        QCOMPARE(rows[1].jobName, "Projects");
        QCOMPARE(rows[1].bytesTransferred, 12'400'000);
        QCOMPARE(rows[1].filesCopied, 118);
        QVERIFY(rows[1].mode == BackupMode::versioned);
        QCOMPARE(rows[2].jobName, "Photo Library");
        QVERIFY(rows[2].result == RunResult::failed);
        QCOMPARE(rows[2].errorSummary, "The destination volume is not mounted.");

        // The next launch finds an ordinary configuration: no seeding, and no made-up rows in a new history.
        ConfigurationStore nextLaunch(support.path(), clock);
        DemoSeeder nextSeeder(nextLaunch, clock);
        nextSeeder.seedConfigurationIfNeeded();
        QVERIFY(nextLaunch.config() == config);
        HistoryRepository emptyHistory(support.filePath("other.sqlite"), clock);
        nextSeeder.seedHistoryIfNeeded(emptyHistory);
        QCOMPARE(emptyHistory.stats().totalRuns, 0);
    }

    void seedingAgainRebuildsAndKeepsTheLargeFile()
    {
        test::TempDir support;
        DemoEnvironment environment("1");
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        DemoSeeder seeder(store, clock);
        seeder.seedConfigurationIfNeeded();
        const QUuid firstID = store.config().jobs[0].id;
        const QString video = demo(support, "Sources/Documents/Archive/demo-video.bin");
        support.write("Demo/Sources/Documents/Archive/demo-video.bin", "the user's own bytes");
        support.write("Demo/Sources/Documents/Notes.md", "edited");

        const QList<BackupJob> seeded = store.config().jobs;
        for (const BackupJob& job : seeded)
            store.deleteJob(job.id);
        seeder.seedConfigurationIfNeeded();

        QCOMPARE(store.config().jobs.size(), 3);
        QVERIFY(store.config().jobs[0].id != firstID);
        QCOMPARE(test::TempDir::read(video), QByteArray("the user's own bytes"));
        QCOMPARE(test::TempDir::read(demo(support, "Sources/Documents/Notes.md")),
            QByteArray("# Notes\nA small demo folder for Marrowvale."));
    }

    void seedsNothingUnlessDemoIsExactlyOne_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("true") << QByteArray("true");
        QTest::newRow("01") << QByteArray("01");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("unset") << QByteArray();
    }

    void seedsNothingUnlessDemoIsExactlyOne()
    {
        QFETCH(QByteArray, value);
        test::TempDir support;
        DemoEnvironment environment(value);
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        DemoSeeder seeder(store, clock);

        seeder.seedConfigurationIfNeeded();

        QVERIFY(store.config().jobs.isEmpty());
        QVERIFY(!QFileInfo::exists(support.filePath("Demo")));
        QVERIFY(!QFileInfo::exists(support.filePath("config.json")));
    }

    void existingJobGetsNeitherDemoJobsNorDemoHistory()
    {
        test::TempDir support;
        DemoEnvironment environment("1");
        test::ManualClock clock;
        ConfigurationStore store(support.path(), clock);
        DemoSeeder seeder(store, clock);
        BackupJob mine = BackupJob::create(clock.now());
        mine.name = "Mine";
        mine.source = { "/home/ada", "ada", std::nullopt, std::nullopt };
        mine.destinations = { BackupDestination::create(clock.now()) };
        store.addJob(mine);

        seeder.seedConfigurationIfNeeded();
        HistoryRepository history(support.filePath("history.sqlite"), clock);
        seeder.seedHistoryIfNeeded(history);

        QCOMPARE(store.config().jobs.size(), 1);
        QVERIFY(!QFileInfo::exists(support.filePath("Demo")));
        QCOMPARE(history.stats().totalRuns, 0);
    }
};

QTEST_GUILESS_MAIN(tst_DemoData)
#include "tst_DemoData.moc"
