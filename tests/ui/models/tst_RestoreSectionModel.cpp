#include "coordination/RestoreCoordinator.h"
#include "model/ConfigurationStore.h"
#include "platform/WorkerPool.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/state/AppStateHarness.h"
#include "ui/models/restore/RestoreSectionModel.h"
#include "ui/models/restore/RestoreTexts.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<mv::BackupMode>)

using namespace mv;
using mv::test::AppStateHarness;

namespace {

// A state hub whose jobs are made before it is built, and the restore section's state on it.
struct Section {
    AppStateHarness hub;
    std::optional<RestoreSectionModel> model;

    RestoreSectionModel& build()
    {
        hub.build();
        model.emplace(hub.context());
        model->appear();
        waitForListing();
        return *model;
    }
    void waitForListing() { MV_TRY_VERIFY(!model->isLoading()); }
    // The job's destination `index` changed in place.
    BackupJob change(BackupJob job, int index, const std::function<void(BackupDestination&)>& edit)
    {
        edit(job.destinations[index]);
        hub.store.replaceJob(job);
        return job;
    }
    QStringList names() const
    {
        QStringList result;
        for (const RestoreEntry& entry : model->entries())
            result << entry.name;
        return result;
    }
};

} // namespace

class tst_RestoreSectionModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // The first appearance chooses the first job and its first destination and lists it; a later one keeps
    // the choices. Another job moves to its first destination, or to none; no job empties the browser.
    void defaultsAndPickers()
    {
        Section s;
        const BackupJob a
            = s.hub.addJob("A", { { "d1", BackupMode::incremental }, { "d2", BackupMode::mirror } });
        const BackupJob b = s.hub.addJob("B", {});
        const BackupJob c = s.hub.addJob("C", { { "c1", BackupMode::incremental } });
        s.hub.files.write("d1/report.txt", "r");
        RestoreSectionModel& m = s.build();
        QCOMPARE(m.jobID(), a.id);
        QCOMPARE(m.destinationID(), a.destinations[0].id);
        QCOMPARE(m.rootPath(), a.destinations[0].path);
        QCOMPARE(m.currentPath(), m.rootPath());
        QCOMPARE(s.names(), QStringList { "report.txt" });

        m.chooseDestination(a.destinations[1].id);
        m.appear();
        QCOMPARE(m.destinationID(), a.destinations[1].id);

        m.chooseJob(c.id);
        QCOMPARE(m.destinationID(), c.destinations[0].id);
        QCOMPARE(m.rootPath(), c.destinations[0].path);
        m.chooseJob(b.id);
        QCOMPARE(m.destinationID(), std::nullopt);
        m.chooseJob(std::nullopt);
        QCOMPARE(m.rootPath(), QString());
        QCOMPARE(m.currentPath(), QString());
        QVERIFY(m.entries().isEmpty());
        QVERIFY(!m.isLoading());
    }

    // Snapshots newest first, the browser rooted at the newest; choosing another roots and lists it, and the
    // selection stays. A versioned destination without snapshots is rooted at its own folder.
    void versionedSnapshots()
    {
        Section s;
        const BackupJob job = s.hub.addJob("Docs", { { "vault", BackupMode::versioned } });
        s.hub.files.write("vault/2024-05-01_120000/may.txt", "m");
        s.hub.files.write("vault/2024-06-01_120000/june.txt", "j");
        RestoreSectionModel& m = s.build();
        QVERIFY(m.isVersioned());
        const QString vault = job.destinations[0].path;
        QCOMPARE(m.snapshots(), (QStringList { vault + "/2024-06-01_120000", vault + "/2024-05-01_120000" }));
        QCOMPARE(m.rootPath(), vault + "/2024-06-01_120000");
        QCOMPARE(s.names(), QStringList { "june.txt" });
        m.setSelected(m.entries().first().path, true);

        m.chooseSnapshot(vault + "/2024-05-01_120000");
        QCOMPARE(m.rootPath(), vault + "/2024-05-01_120000");
        QCOMPARE(m.currentPath(), m.rootPath());
        s.waitForListing();
        QCOMPARE(s.names(), QStringList { "may.txt" });
        QCOMPARE(m.selected(), QSet<QString> { vault + "/2024-06-01_120000/june.txt" });
        QCOMPARE(m.request()->destinationName, "Snapshot " + RestoreTexts::snapshotLabel(m.rootPath()));
    }

    // The mode comes from the destination's override, else the job's mode.
    void versionedMode_data()
    {
        QTest::addColumn<BackupMode>("jobMode");
        QTest::addColumn<std::optional<BackupMode>>("override");
        QTest::addColumn<bool>("versioned");
        QTest::newRow("override") << BackupMode::incremental << std::optional(BackupMode::versioned) << true;
        QTest::newRow("job's mode") << BackupMode::versioned << std::optional<BackupMode>() << true;
        QTest::newRow("override wins") << BackupMode::versioned << std::optional(BackupMode::mirror) << false;
    }
    void versionedMode()
    {
        QFETCH(BackupMode, jobMode);
        QFETCH(std::optional<BackupMode>, override);
        QFETCH(bool, versioned);
        Section s;
        BackupJob job = s.hub.addJob("Docs", { { "vault", BackupMode::incremental } });
        job.mode = jobMode;
        s.change(job, 0, [&](BackupDestination& d) { d.modeOverride = override; });
        RestoreSectionModel& m = s.build();
        QCOMPARE(m.isVersioned(), versioned);
        QCOMPARE(m.rootPath(), job.destinations[0].path);
    }

    // Destinations whose folder is not on this computer are never listed nor restored from here.
    void notBrowsable_data()
    {
        QTest::addColumn<DestinationKind>("kind");
        QTest::newRow("ssh") << DestinationKind::ssh;
        QTest::newRow("drive") << DestinationKind::googleDrive;
    }
    void notBrowsable()
    {
        QFETCH(DestinationKind, kind);
        Section s;
        BackupJob job = s.hub.addJob(
            "Docs", { { "local", BackupMode::incremental }, { "remote", BackupMode::incremental } });
        s.hub.files.write("local/a.txt", "a");
        s.hub.files.write("remote/b.txt", "b"); // the same path exists here, but names a folder elsewhere
        job = s.change(job, 1, [&](BackupDestination& d) { d.kind = kind; });
        RestoreSectionModel& m = s.build();
        m.setSelected(m.entries().first().path, true);
        m.chooseDestination(job.destinations[1].id);
        QVERIFY(!m.isBrowsable());
        QCOMPARE(m.rootPath(), QString());
        QVERIFY(m.entries().isEmpty());
        QVERIFY(!m.isLoading());
        QVERIFY(!m.canRestore());
        m.restoreAll();
        QVERIFY(!m.scanning());
        QCOMPARE(m.selected().size(), 1);
        m.chooseDestination(job.destinations[0].id);
        s.waitForListing();
        QCOMPARE(s.names(), QStringList { "a.txt" });
    }

    // Opening folders, the path bar and the parent stay inside the root and never touch the selection.
    void navigation()
    {
        Section s;
        s.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        s.hub.files.write("ssd/Documents/Reports/q1.txt", "q");
        s.hub.files.write("ssd/Documents/notes.txt", "n");
        RestoreSectionModel& m = s.build();
        const QString root = m.rootPath();
        m.setSelected(root + "/Documents", true);
        m.open(root + "/Documents");
        s.waitForListing();
        QCOMPARE(s.names(), (QStringList { "Reports", "notes.txt" }));
        m.open(root + "/Documents/Reports");
        s.waitForListing();
        m.openComponent(0);
        QCOMPARE(m.currentPath(), root + "/Documents");
        m.openParent();
        QCOMPARE(m.currentPath(), root);
        m.openParent();
        QCOMPARE(m.currentPath(), root);
        s.waitForListing();
        QCOMPARE(m.selected(), QSet<QString> { root + "/Documents" });
    }

    // A listing overtaken by a newer one is dropped, whichever finishes first; only the newest ends the
    // loading state.
    void newestListingWins()
    {
        Section s;
        s.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        for (int i = 0; i < 1500; ++i)
            s.hub.files.write(QStringLiteral("ssd/big/f%1").arg(i), {});
        s.hub.files.write("ssd/small/only.txt", "o");
        RestoreSectionModel& m = s.build();
        const QString root = m.rootPath();
        int applied = 0;
        connect(&m, &RestoreSectionModel::entriesChanged, this, [&] { ++applied; });
        m.open(root + "/big");
        m.open(root + "/small");
        QVERIFY(m.isLoading());
        s.waitForListing();
        QCOMPARE(s.names(), QStringList { "only.txt" });
        // Once the pool is idle, the older listing has answered; it changed nothing.
        MV_TRY_VERIFY(WorkerPool::instance().activeThreadCount() == 0);
        QCoreApplication::processEvents();
        QCOMPARE(s.names(), QStringList { "only.txt" });
        QCOMPARE(applied, 1);
        QVERIFY(!m.isLoading());
    }

    // The selection buttons: all here replaces what was chosen elsewhere; an empty folder empties it.
    void selection()
    {
        Section s;
        s.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        for (const char* name : { "a", "b", "c" })
            s.hub.files.write(QString("ssd/three/") + name, "x");
        s.hub.files.mkdir("ssd/empty");
        RestoreSectionModel& m = s.build();
        const QString root = m.rootPath();
        for (int i = 0; i < 5; ++i)
            m.setSelected(root + "/elsewhere" + QString::number(i), true);
        m.open(root + "/three");
        s.waitForListing();
        m.selectAllHere();
        QCOMPARE(m.selected(), (QSet<QString> { root + "/three/a", root + "/three/b", root + "/three/c" }));
        m.toggle(root + "/three/b");
        QCOMPARE(m.selected().size(), 2);
        m.open(root + "/empty");
        s.waitForListing();
        m.selectAllHere();
        QVERIFY(m.selected().isEmpty());
        QVERIFY(!m.canRestore());
    }

    // What "Restore…" asks for: sorted items (or the root), the target by location, the names.
    void request_data()
    {
        QTest::addColumn<QStringList>("ticked"); // relative to the root, in ticking order
        QTest::addColumn<RestoreLocation>("location");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("original");
        QTest::newRow("original, sorted")
            << QStringList { "b.txt", "Z", "a.txt" } << RestoreLocation::original
            << QStringList { "Z", "a.txt", "b.txt" } << true;
        QTest::newRow("custom") << QStringList { "a.txt" } << RestoreLocation::custom
                                << QStringList { "a.txt" } << false;
        QTest::newRow("nothing ticked")
            << QStringList {} << RestoreLocation::original << QStringList { "" } << true;
    }
    void request()
    {
        QFETCH(QStringList, ticked);
        QFETCH(RestoreLocation, location);
        QFETCH(QStringList, items);
        QFETCH(bool, original);
        Section s;
        const BackupJob job = s.hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        RestoreSectionModel& m = s.build();
        const QString root = m.rootPath();
        for (const QString& item : ticked)
            m.setSelected(root + '/' + item, true);
        m.setLocation(location);
        m.setCustomTarget(s.hub.files.mkdir("chosen"));
        const RestoreRequest request = *m.request();
        QStringList expected;
        for (const QString& item : items)
            expected << (item.isEmpty() ? root : root + '/' + item);
        QCOMPARE(request.items, expected);
        QCOMPARE(request.jobID, job.id);
        QCOMPARE(request.destinationID, job.destinations[0].id);
        QCOMPARE(request.rootPath, root);
        QCOMPARE(request.useOriginalLocations, original);
        QCOMPARE(request.targetBase, original ? job.source.path : s.hub.files.filePath("chosen"));
        QCOMPARE(request.sourcePath, job.source.path);
        QCOMPARE(request.overwriteExisting, false);
        QCOMPARE(request.jobName, "Docs");
        QCOMPARE(request.destinationName, "ssd");
    }

    // Another folder without a folder: nothing is checked, the alert's text is set until dismissed.
    void customWithoutFolder()
    {
        Section s;
        s.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        RestoreSectionModel& m = s.build();
        m.setLocation(RestoreLocation::custom);
        m.restoreAll();
        QCOMPARE(m.selected(), QSet<QString> { m.rootPath() });
        QCOMPARE(m.errorMessage(), "Choose a folder for the restored items.");
        QVERIFY(!m.scanning());
        m.dismissError();
        QCOMPARE(m.errorMessage(), std::nullopt);
        QVERIFY(!s.hub.state->coordinator().restores().restore());
    }
};

QTEST_MAIN(tst_RestoreSectionModel)
#include "tst_RestoreSectionModel.moc"
