#include "coordination/HistoryFeed.h"
#include "model/ConfigurationStore.h"
#include "model/PathValidation.h"
#include "platform/Bookmark.h"
#include "platform/WorkerPool.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/TempDir.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/editors/JobEditorModel.h"
#include "ui/models/editors/JobEditorPresentation.h"
#include "ui/models/editors/JobSave.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest>

using namespace mv;

Q_DECLARE_METATYPE(mv::BackupJob)
Q_DECLARE_METATYPE(mv::BackupDestination)
Q_DECLARE_METATYPE(mv::BackupMode)

namespace {

BackupDestination local(const QString& name, const QString& path)
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name = name;
    destination.path = path;
    destination.usesJobSchedule = true;
    return destination;
}

BackupDestination ssh(const QString& name, qint64 port)
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name = name;
    destination.kind = DestinationKind::ssh;
    destination.host = QStringLiteral("nas.local");
    destination.user = QStringLiteral("backup");
    destination.port = port;
    destination.path = QStringLiteral("/srv/backups");
    return destination;
}

BackupDestination drive(const QString& name, const QString& account)
{
    BackupDestination destination = BackupDestination::create(QDateTime::currentDateTimeUtc());
    destination.name = name;
    destination.kind = DestinationKind::googleDrive;
    destination.googleFolderName = QStringLiteral("Marrowvale");
    destination.googleAccount = account;
    return destination;
}

QByteArray configFile(const test::AppStateHarness& hub)
{
    return test::TempDir::read(hub.support.filePath(QStringLiteral("config.json")));
}

JobEditorContext newContext(const BackupJob& job)
{
    return { QUuid::createUuid(), job, true };
}

// A measurement that waits until the test lets it answer `size`.
struct GatedMeasure {
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
    qint64 size = 0;

    SourceSizeMeasurement::Measure function() const
    {
        return [gate = gate, size = size](const QString&) -> std::optional<qint64> {
            gate->acquire();
            return size;
        };
    }
};

} // namespace

class tst_JobEditorModel : public QObject {
    Q_OBJECT

    test::TempDir m_files;
    QString m_source;

    // A job with a real source folder and the given destinations.
    BackupJob job(
        const QList<BackupDestination>& destinations, BackupMode mode = BackupMode::incremental) const
    {
        BackupJob job = BackupJob::create(QDateTime::currentDateTimeUtc());
        job.name = QStringLiteral("Documents");
        job.source.path = m_source;
        job.destinations = destinations;
        job.mode = mode;
        return job;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_source = m_files.mkdir(QStringLiteral("Documents"));
        m_files.write(QStringLiteral("Documents/a.txt"), "alpha");
        m_files.mkdir(QStringLiteral("drive/backups"));
        m_files.write(QStringLiteral("notes.txt"), "a file");
        QVERIFY(QFile::link(
            m_files.filePath(QStringLiteral("drive")), m_files.filePath(QStringLiteral("linked"))));
    }

    void saveRefusals_data()
    {
        QTest::addColumn<BackupJob>("draft");
        QTest::addColumn<bool>("acknowledged");
        QTest::addColumn<QString>("message");
        const QString backups = m_files.filePath(QStringLiteral("drive/backups"));
        const BackupDestination fine = local(QStringLiteral("Backup Drive"), backups);

        BackupJob lineBreaks = job({ fine });
        lineBreaks.name = QStringLiteral("\n \n");
        QTest::newRow("name of line breaks") << lineBreaks << true << "Give this backup a name.";
        BackupJob missing = job({ fine });
        missing.source.path = m_files.filePath(QStringLiteral("gone"));
        QTest::newRow("missing source")
            << missing << true << "The source folder is not available. Choose it again.";
        BackupJob file = job({ fine });
        file.source.path = m_files.filePath(QStringLiteral("notes.txt"));
        QTest::newRow("source is a file")
            << file << true << "The source folder is not available. Choose it again.";
        QTest::newRow("no destination") << job({}) << true << "Add at least one destination.";
        QTest::newRow("mirror not confirmed") << job({ fine }, BackupMode::mirror) << false
                                              << "Confirm that mirror can delete files at the destination.";
        QTest::newRow("empty destination path") << job({ local(QStringLiteral("Backup Drive"), {}) }) << true
                                                << "Backup Drive: Choose a destination folder.";
        QTest::newRow("drive not there") << job(
            { local(QStringLiteral("Backup Drive"), m_files.filePath(QStringLiteral("usb/stick/backups"))) })
                                         << true << "Backup Drive: The destination drive is not available.";
        QTest::newRow("inside the source")
            << job({ local(QStringLiteral("Backup Drive"), m_source + QStringLiteral("/copies")) }) << true
            << "Backup Drive: The source and destination overlap.";
        QTest::newRow("the source itself") << job({ local(QStringLiteral("Backup Drive"), m_source) }) << true
                                           << "Backup Drive: The source and destination are the same folder.";
        QTest::newRow("same folder twice")
            << job({ fine, local(QStringLiteral("Destination 2"), backups + QStringLiteral("/")) }) << true
            << "Two destinations point at the same folder: " + backups + "/.";
        QTest::newRow("same server folder, other port")
            << job({ ssh(QStringLiteral("NAS"), 22), ssh(QStringLiteral("NAS 2"), 2222) }) << true
            << "Two destinations point at the same server folder.";
        QTest::newRow("same drive folder, other account")
            << job({ drive(QStringLiteral("Drive"), QStringLiteral("a@example.com")),
                   drive(QStringLiteral("Drive 2"), QStringLiteral("b@example.com")) })
            << true << "Two destinations point at the same Google Drive folder.";
        QTest::newRow("first of three bad destinations")
            << job({ fine, local(QStringLiteral("Second"), {}), local(QStringLiteral("Third"), m_source) })
            << true << "Second: Choose a destination folder.";
    }

    // Each check in its place; a refused Save shows its message and writes nothing, and the draft stays.
    void saveRefusals()
    {
        QFETCH(BackupJob, draft);
        QFETCH(bool, acknowledged);
        QFETCH(QString, message);
        test::AppStateHarness hub;
        const BackupJob stored
            = hub.addJob(QStringLiteral("Stored"), { { QStringLiteral("ssd"), BackupMode::incremental } });
        hub.build();
        QVERIFY(hub.store.saveNow());
        const QByteArray before = configFile(hub);

        JobEditorModel model(newContext(draft));
        model.setMirrorAcknowledged(acknowledged);
        QVERIFY(!model.save(hub.context()));
        QCOMPARE(model.errorMessage(), message);
        QCOMPARE(model.draft(), draft);
        QCOMPARE(hub.store.config().jobs, QList<BackupJob> { stored });
        QVERIFY(!hub.store.hasPendingSave());
        QCOMPARE(configFile(hub), before);
    }

    // A new job is added with what only Save fills in; the history reloads and notifications are asked for.
    void saveAddsNewJob()
    {
        test::AppStateHarness hub;
        hub.build();
        BackupDestination daily = local(QStringLiteral("Backup Drive"), m_files.filePath("drive/backups/"));
        BackupDestination manual = local(QStringLiteral("Shelf"), m_files.filePath("drive/shelf"));
        manual.usesJobSchedule = false;
        manual.schedule.kind = ScheduleKind::manual;
        BackupJob draft = job({ daily, manual });
        draft.name = QStringLiteral("  Documents\t");
        draft.source.displayName.clear();
        draft.schedule.kind = ScheduleKind::daily;
        QSignalSpy history(&hub.context().history, &HistoryFeed::changed);

        JobEditorModel model(newContext(draft));
        const QDateTime before = QDateTime::currentDateTimeUtc();
        QVERIFY(model.save(hub.context()));
        QVERIFY(!model.errorMessage());
        QCOMPARE(hub.store.config().jobs.size(), 1);
        const BackupJob saved = hub.store.config().jobs.first();
        QCOMPARE(saved.name, "Documents");
        QCOMPARE(saved.source.displayName, "Documents");
        QVERIFY(saved.source.bookmark);
        QCOMPARE(Bookmark::resolve(*saved.source.bookmark), m_source);
        QVERIFY(saved.source.volumeIdentity);
        const BackupDestination& first = saved.destinations[0];
        QCOMPARE(first.path, m_files.filePath("drive/backups"));
        QCOMPARE(Bookmark::resolve(first.bookmark.value()), first.path);
        QVERIFY(first.volumeIdentity && first.volumeName);
        QVERIFY(first.nextRun);
        QCOMPARE(first.nextRun, draft.schedule.nextRun(before, QTimeZone::systemTimeZone()));
        // A folder still to be made has no bookmark yet, but its drive is known.
        const BackupDestination& second = saved.destinations[1];
        QVERIFY(!second.bookmark);
        QCOMPARE(second.volumeIdentity, first.volumeIdentity);
        QVERIFY(!second.nextRun);
        MV_TRY_VERIFY(!history.isEmpty());
        MV_TRY_VERIFY(hub.state->notifications().authorized());
    }

    // An existing job is replaced where it stands; one deleted meanwhile comes back at the end.
    void saveReplacesExistingJob()
    {
        test::AppStateHarness hub;
        const BackupJob first
            = hub.addJob(QStringLiteral("First"), { { QStringLiteral("ssd"), BackupMode::incremental } });
        const BackupJob second
            = hub.addJob(QStringLiteral("Second"), { { QStringLiteral("usb"), BackupMode::mirror } });
        hub.build();

        JobEditorModel model(JobEditorContext::existing(first));
        model.setName(QStringLiteral("Renamed"));
        QVERIFY(model.save(hub.context()));
        QCOMPARE(hub.store.config().jobs.size(), 2);
        QCOMPARE(hub.store.config().jobs[0].name, "Renamed");
        QCOMPARE(hub.store.config().jobs[0].id, first.id);

        hub.store.deleteJob(first.id);
        QVERIFY(model.save(hub.context()));
        QCOMPARE(hub.store.config().jobs.size(), 2);
        QCOMPARE(hub.store.config().jobs[0].id, second.id);
        QCOMPARE(hub.store.config().jobs[1].id, first.id);
    }

    // A bookmark of the folder a destination pointed at before its path changed is not kept: runs would
    // otherwise follow it to the old folder.
    void staleBookmarkIsDropped()
    {
        const QString old = m_files.mkdir(QStringLiteral("drive/old"));
        const QString moved = m_files.filePath(QStringLiteral("drive/new"));
        const std::optional<QByteArray> oldBookmark = Bookmark::create(old);
        QVERIFY(oldBookmark);
        QCOMPARE(JobSave::bookmarkFor(moved, oldBookmark), std::nullopt);
        QCOMPARE(JobSave::bookmarkFor(old + QStringLiteral("/"), oldBookmark).has_value(), true);

        BackupDestination destination = local(QStringLiteral("Backup Drive"), moved);
        destination.bookmark = oldBookmark;
        const BackupJob saved
            = JobSave::committed(job({ destination }), QDateTime::currentDateTimeUtc(), QTimeZone::utc());
        QVERIFY(!saved.destinations[0].bookmark);
    }

    void saveEnabled_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hasSource");
        QTest::addColumn<bool>("hasDestination");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("complete") << "Documents" << true << true << true;
        QTest::newRow("spaces and tabs only") << " \t\u00A0 " << true << true << false;
        QTest::newRow("line breaks count") << "\n" << true << true << true;
        QTest::newRow("no source") << "Documents" << false << true << false;
        QTest::newRow("no destination") << "Documents" << true << false << false;
    }

    void saveEnabled()
    {
        QFETCH(QString, name);
        QFETCH(bool, hasSource);
        QFETCH(bool, hasDestination);
        QFETCH(bool, enabled);
        BackupJob draft
            = job(hasDestination ? QList { local("Backup Drive", "/b") } : QList<BackupDestination> {});
        draft.name = name;
        if (!hasSource)
            draft.source = {};
        QCOMPARE(JobEditorModel(newContext(draft)).isValid(), enabled);
    }

    void mirrorAcknowledgement_data()
    {
        QTest::addColumn<BackupMode>("opened");
        QTest::addColumn<QList<int>>("choices"); // modes chosen in turn; -1 ticks the box
        QTest::addColumn<bool>("acknowledged");
        using enum BackupMode;
        QTest::newRow("opened as mirror") << mirror << QList<int> {} << true;
        QTest::newRow("mirror job, versioned then mirror")
            << mirror << QList { int(versioned), int(mirror) } << true;
        QTest::newRow("incremental job, mirror") << incremental << QList { int(mirror) } << false;
        QTest::newRow("ticked") << incremental << QList { int(mirror), -1 } << true;
        QTest::newRow("ticked, versioned, mirror")
            << incremental << QList { int(mirror), -1, int(versioned), int(mirror) } << false;
        QTest::newRow("mirror pressed again")
            << incremental << QList { int(mirror), -1, int(mirror) } << false;
        QTest::newRow("versioned") << incremental << QList { int(mirror), int(versioned) } << true;
    }

    void mirrorAcknowledgement()
    {
        QFETCH(BackupMode, opened);
        QFETCH(QList<int>, choices);
        QFETCH(bool, acknowledged);
        JobEditorModel model(JobEditorContext::existing(job({ local("Backup Drive", "/b") }, opened)));
        for (const int choice : choices) {
            if (choice < 0)
                model.setMirrorAcknowledged(true);
            else
                model.chooseMode(static_cast<BackupMode>(choice));
        }
        QCOMPARE(model.mirrorAcknowledged(), acknowledged);
        QCOMPARE(model.isValid(), acknowledged);
    }

    void sourceNaming_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("named");
        QTest::newRow("New Backup") << "New Backup"
                                    << "Documents";
        QTest::newRow("empty") << ""
                               << "Documents";
        QTest::newRow("other case") << "new backup"
                                    << "new backup";
        QTest::newRow("trailing blank") << "New Backup "
                                        << "New Backup ";
        QTest::newRow("spaces") << "   "
                                << "   ";
        QTest::newRow("own name") << "Taxes"
                                  << "Taxes";
    }

    // A chosen folder names the job only while it is unnamed, and becomes the whole source.
    void sourceNaming()
    {
        QFETCH(QString, name);
        QFETCH(QString, named);
        BackupJob draft = job({});
        draft.name = name;
        draft.source = { QStringLiteral("/old"), QStringLiteral("old"), QByteArray("stale"),
            QStringLiteral("dev:1:2") };
        JobEditorModel model(JobEditorContext::existing(draft));
        model.setSource(m_source + QStringLiteral("/"));
        QCOMPARE(model.draft().name, named);
        const BackupSource& source = model.draft().source;
        QCOMPARE(source.path, m_source);
        QCOMPARE(source.displayName, "Documents");
        QCOMPARE(Bookmark::resolve(source.bookmark.value()), m_source);
        QVERIFY(source.volumeIdentity && source.volumeIdentity != "dev:1:2");
    }

    // Patterns are trimmed, kept once and exactly; the field empties only when one was added.
    void customPatterns()
    {
        JobEditorModel model(newContext(job({})));
        const auto add = [&model](const QString& typed) {
            model.setCustomPattern(typed);
            model.addPattern();
        };
        add(QStringLiteral("  *.psd  "));
        QCOMPARE(model.draft().options.customExclusions, QStringList { "*.psd" });
        QCOMPARE(model.customPattern(), "");
        QCOMPARE(exclusionCount(model.draft().options), 5);
        add(QStringLiteral("*.psd"));
        add(QStringLiteral(" \n "));
        QCOMPARE(model.draft().options.customExclusions, QStringList { "*.psd" });
        QCOMPARE(model.customPattern(), " \n ");
        add(QStringLiteral("*.PSD"));
        QCOMPARE(model.draft().options.customExclusions, (QStringList { "*.psd", "*.PSD" }));
        model.removePattern(QStringLiteral("*.psd"));
        QCOMPARE(model.draft().options.customExclusions, QStringList { "*.PSD" });
        for (const BuiltInExclusion exclusion : allCases<BuiltInExclusion>())
            model.setExclusion(exclusion, false);
        model.removePattern(QStringLiteral("*.PSD"));
        QCOMPARE(exclusionCount(model.draft().options), 0);
    }

    void bandwidthChoices_data()
    {
        QTest::addColumn<std::optional<qint64>>("stored");
        QTest::addColumn<std::optional<int>>("shown");
        QTest::newRow("none") << std::optional<qint64>() << std::optional(0);
        QTest::newRow("1 MB/s") << std::optional<qint64>(1024) << std::optional(1);
        QTest::newRow("10 MB/s") << std::optional<qint64>(10240) << std::optional(3);
        QTest::newRow("2048 is no choice") << std::optional<qint64>(2048) << std::optional<int>();
        QTest::newRow("a stored 0 shows Off") << std::optional<qint64>(0) << std::optional(0);
    }

    void bandwidthChoices()
    {
        QFETCH(std::optional<qint64>, stored);
        QFETCH(std::optional<int>, shown);
        QCOMPARE(bandwidthChoiceIndex(stored), shown);
        JobEditorModel model(newContext(job({})));
        model.setBandwidthLimit(5120);
        QCOMPARE(model.draft().options.bandwidthLimitKBps, 5120);
        model.setBandwidthLimit(0);
        QCOMPARE(model.draft().options.bandwidthLimitKBps, std::nullopt);
    }

    // Adding proposes a name and the job's schedule; the destination editor's answer replaces or appends.
    void destinationEdits()
    {
        BackupJob draft = job({});
        draft.schedule.kind = ScheduleKind::weekly;
        JobEditorModel model(newContext(draft));
        QSignalSpy opened(&model, &JobEditorModel::destinationEditorChanged);
        model.addDestination();
        QVERIFY(model.destinationEditor());
        const DestinationEditorContext first = *model.destinationEditor();
        QVERIFY(first.isNew);
        QCOMPARE(first.destination.name, "Backup Drive");
        QVERIFY(first.destination.usesJobSchedule);
        QCOMPARE(first.destination.schedule, draft.schedule);
        QCOMPARE(first.destination.port, 22);
        QCOMPARE(first.destination.retention, 5);
        QVERIFY(
            first.destination.isEnabled && !first.destination.modeOverride && !first.destination.bookmark);
        QVERIFY(model.draft().destinations.isEmpty());

        model.destinationCancelled();
        QVERIFY(!model.destinationEditor());
        model.addDestination();
        QCOMPARE(model.destinationEditor()->destination.name, "Backup Drive");
        QVERIFY(model.destinationEditor()->id != first.id);
        model.destinationSaved(model.destinationEditor()->destination);
        model.addDestination();
        QCOMPARE(model.destinationEditor()->destination.name, "Destination 2");
        model.destinationSaved(model.destinationEditor()->destination);
        model.addDestination();
        model.destinationSaved(model.destinationEditor()->destination);
        QCOMPARE(model.draft().destinations.size(), 3);

        const QUuid second = model.draft().destinations[1].id;
        model.editDestination(second);
        QVERIFY(!model.destinationEditor()->isNew);
        BackupDestination changed = model.destinationEditor()->destination;
        changed.name = QStringLiteral("Shelf");
        model.destinationSaved(changed);
        QCOMPARE(model.draft().destinations[1].name, "Shelf");
        QCOMPARE(model.draft().destinations.size(), 3);

        model.setDestinationEnabled(second, false);
        QVERIFY(!model.draft().destinations[1].isEnabled);
        model.removeDestination(second);
        QCOMPARE(model.draft().destinations.size(), 2);
        model.addDestination();
        QCOMPARE(model.destinationEditor()->destination.name, "Destination 3");
        QCOMPARE(opened.size(), 11);
    }

    void sharedFolders_data()
    {
        QTest::addColumn<BackupDestination>("first");
        QTest::addColumn<BackupDestination>("second");
        QTest::addColumn<bool>("shared");
        const QString backups = m_files.filePath(QStringLiteral("drive/backups"));
        const auto folder = [](const QString& path, DestinationKind kind = DestinationKind::local) {
            BackupDestination destination = local(QStringLiteral("Folder"), path);
            destination.kind = kind;
            return destination;
        };
        const auto server = [](const QString& host, const QString& user, const QString& path) {
            BackupDestination destination = ssh(QStringLiteral("NAS"), 22);
            destination.host = host;
            destination.user = user;
            destination.path = path;
            return destination;
        };
        const auto driveIn = [](const QString& folderName, const std::optional<QString>& account) {
            BackupDestination destination = drive(QStringLiteral("Drive"), {});
            destination.googleFolderName = folderName;
            destination.googleAccount = account;
            return destination;
        };
        const BackupDestination nas = server("nas.local", "backup", "/srv/backups");

        QTest::newRow("same folder") << folder(backups) << folder(backups) << true;
        QTest::newRow("trailing slash") << folder(backups) << folder(backups + "/") << true;
        QTest::newRow("inside") << folder(backups) << folder(backups + "/photos") << true;
        QTest::newRow("around") << folder(backups + "/photos") << folder(backups) << true;
        QTest::newRow("name that only begins alike") << folder(backups) << folder(backups + "-old") << false;
        QTest::newRow("share and drive path alike")
            << folder(backups, DestinationKind::network) << folder(backups) << true;
        QTest::newRow("through a link")
            << folder(m_files.filePath("linked/backups/photos")) << folder(backups) << true;
        QTest::newRow("sibling folders")
            << folder(backups) << folder(m_files.filePath(QStringLiteral("drive/other"))) << false;
        QTest::newRow("server, other port") << nas << ssh(QStringLiteral("NAS"), 2222) << true;
        QTest::newRow("server host spelled otherwise")
            << nas << server("[NAS.Local]", "backup", "/srv/backups/") << true;
        QTest::newRow("server folder inside")
            << nas << server("nas.local", "backup", "/srv/backups/a") << true;
        QTest::newRow("server root holds all") << nas << server("nas.local", "backup", "/") << true;
        QTest::newRow("other server") << nas << server("nas.example.com", "backup", "/srv/backups") << false;
        QTest::newRow("other server folder") << nas << server("nas.local", "backup", "/srv/backup") << false;
        QTest::newRow("other user, same absolute folder")
            << nas << server("nas.local", "admin", "/srv/backups") << true;
        QTest::newRow("home folders of two users")
            << server("nas.local", "backup", "~/copies") << server("nas.local", "admin", "~/copies") << false;
        QTest::newRow("home folder of one user")
            << server("nas.local", "backup", "~/copies") << server("nas.local", "backup", "~") << true;
        QTest::newRow("server path and local path") << nas << folder(QStringLiteral("/srv/backups")) << false;
        QTest::newRow("drive, same folder and account")
            << driveIn("Backups", "me@example.com") << driveIn("Backups", "Me@Example.com") << true;
        QTest::newRow("drive, other account")
            << driveIn("Backups", "me@example.com") << driveIn("Backups", "you@example.com") << false;
        QTest::newRow("drive, account not known yet")
            << driveIn("Backups", std::nullopt) << driveIn("Backups", "you@example.com") << true;
        QTest::newRow("drive, other folder")
            << driveIn("Backups", "me@example.com") << driveIn("backups", "me@example.com") << false;
        QTest::newRow("drive, folder named by the destination")
            << driveIn({}, "me@example.com") << driveIn("Drive", "me@example.com") << true;
    }

    // When two destinations write into one folder: the rule is symmetric.
    void sharedFolders()
    {
        QFETCH(BackupDestination, first);
        QFETCH(BackupDestination, second);
        QFETCH(bool, shared);
        QCOMPARE(JobSave::sharesFolder(first, second), shared);
        QCOMPARE(JobSave::sharesFolder(second, first), shared);
    }

    // Only the answer for the folder asked about last is shown; an unusable folder is not measured.
    void sizeOfEarlierSourceIsDiscarded()
    {
        GatedMeasure slow { .size = 111 };
        SourceSizeMeasurement measurement([slow](const QString& path) -> std::optional<qint64> {
            if (path.endsWith(QStringLiteral("Documents")))
                return slow.function()(path);
            return 222;
        });
        measurement.measure(m_source);
        QVERIFY(measurement.isLoading());
        measurement.measure(m_files.filePath(QStringLiteral("drive")));
        MV_TRY_COMPARE(measurement.size(), 222);
        QVERIFY(!measurement.isLoading());
        QSignalSpy changes(&measurement, &SourceSizeMeasurement::changed);
        slow.gate->release();
        measurement.measure(m_files.filePath(QStringLiteral("notes.txt")));
        QCOMPARE(measurement.size(), std::nullopt);
        QVERIFY(!measurement.isLoading());
        // The slow answer arrives after all and changes nothing.
        QVERIFY(WorkerPool::instance().waitForDone(10000));
        QCoreApplication::processEvents();
        QCOMPARE(measurement.size(), std::nullopt);
        QCOMPARE(changes.size(), 1);
    }
};

QTEST_MAIN(tst_JobEditorModel)
#include "tst_JobEditorModel.moc"
