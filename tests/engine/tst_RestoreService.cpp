#include "engine/PlanBuilder.h"
#include "engine/RestoreService.h"
#include "engine/RsyncProcessController.h"
#include "model/AppPaths.h"
#include "model/AppSettings.h"
#include "support/FailureText.h"
#include "support/Mount.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <qcoro/qcorotask.h>

using namespace mv;

namespace {

// One snapshot of a job's Documents folder, the folder itself, and an empty folder to restore into.
struct RestoreSetup {
    test::TempSupportDir support;
    test::TempDir dir;
    QString root = dir.mkdir(QStringLiteral("backup/2026-12-09_090000"));
    QString source = dir.mkdir(QStringLiteral("home/Documents"));
    QString chosen = dir.mkdir(QStringLiteral("restored"));

    RestoreSetup()
    {
        write(QStringLiteral("notes.txt"), "notes from the backup\n");
        write(QStringLiteral("projects/app/readme.md"), "readme from the backup\n");
        write(QStringLiteral("projects/app/src/main.c"), "int main() { return 0; }\n");
        QFile::link(QStringLiteral("/nowhere/elsewhere.txt"), root + QStringLiteral("/link-out"));
        dir.write(QStringLiteral("backup/2026-12-09_090000-old/x.txt"), "a sibling folder, not the backup\n");
    }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        dir.write(QStringLiteral("backup/2026-12-09_090000/") + relative, bytes);
    }

    RestoreRequest request(const QStringList& relativeItems, bool originalLocations = true) const
    {
        RestoreRequest request;
        request.jobID = QUuid::createUuid();
        request.destinationID = QUuid::createUuid();
        request.rootPath = root;
        for (const QString& item : relativeItems)
            request.items.append(item.isEmpty() ? root : root + u'/' + item);
        request.targetBase = originalLocations ? QString() : chosen;
        request.useOriginalLocations = originalLocations;
        request.jobName = QStringLiteral("Documents");
        request.sourcePath = source;
        request.destinationName = QStringLiteral("Backup drive");
        return request;
    }

    RestorePlan plan(const RestoreRequest& request) const
    {
        const auto plan = RestoreService::makePlan(request, AppSettings {});
        if (!plan)
            qFatal("no plan: %s", qPrintable(test::describe(plan.error())));
        return *plan;
    }

    QStringList previewLogs() const
    {
        return QDir(AppPaths::logsDirectory())
            .entryList({ QStringLiteral("restore-preview-*") }, QDir::Files);
    }
};

// Copies one item as a restore does: its folders first, then rsync with the item's arguments.
RsyncOutcome restore(const RestorePlan& plan, const RestoreItem& item)
{
    if (const auto problem = RestoreService::createTargetFolders(item))
        qFatal("%s", qPrintable(problem->message));
    RunPlan run;
    run.executable = plan.executable;
    run.environment = plan.environment;
    run.arguments = RestoreService::arguments(item, plan.request.overwriteExisting);
    RsyncProcessController controller;
    test::TempDir logs;
    return QCoro::waitFor(
        controller.run(run, logs.filePath(QStringLiteral("restore.log")), [](const RsyncEvent&) {}));
}

QStringList filesBelow(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(folder.size() + 1));
    files.sort();
    return files;
}

const QString warning = QStringLiteral("exclamationmark.triangle.fill");

} // namespace

class tst_RestoreService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusals_data();
    void refusals();
    void itemsAndTheirTargets();
    void argumentVectors_data();
    void argumentVectors();
    void wholeBackupLandsInTheSourceFolderItself();
    void nestedItemIntoANewChosenFolder();
    void missingChosenFolderIsNeverCreated();
    void conflictScan_data();
    void conflictScan();
};

void tst_RestoreService::refusals_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("expected"); // %1 the root, %2 the test folder
    QTest::newRow("nothing selected, even with rsync and the backup gone")
        << "emptyAndRootGone"
        << "Nothing selected | Choose a file or folder from the backup. | (no recovery) | lasting | "
            + warning;
    QTest::newRow("no rsync, before any path check")
        << "noRsync"
        << "rsync not found | Marrowvale needs rsync to restore files. | Install rsync with your package "
           "manager, or choose an executable in Settings → Advanced. | lasting | "
            + warning;
    QTest::newRow("backup folder gone, before any item check")
        << "rootGone"
        << "The backup folder is unavailable | %2/backup/gone is not mounted or was moved. | Reconnect the "
           "destination, then try again. | temporary | externaldrive.badge.xmark";
    QTest::newRow("sibling whose name extends the root's")
        << "sibling"
        << "Restore item is outside the backup | %2/backup/2026-12-09_090000-old/x.txt is not inside %1. | "
           "(no recovery) | lasting | "
            + warning;
    QTest::newRow("outside comes before moved")
        << "outsideAndGone"
        << "Restore item is outside the backup | %2/elsewhere/gone.txt is not inside %1. | (no recovery) | "
           "lasting | "
            + warning;
    QTest::newRow("item moved away")
        << "itemGone"
        << "A selected item has moved | %1/deleted.txt is no longer there. | (no recovery) | temporary | "
            + warning;
    QTest::newRow("chosen folder inside the backup")
        << "chosenInside"
        << "Restore target is inside the backup | Choose a different restore location. Writing inside the "
           "backup would corrupt it. | (no recovery) | lasting | arrow.uturn.backward.circle.badge.xmark";
    QTest::newRow("target is the chosen folder itself")
        << "targetIsChosen"
        << "Restore target is not valid | Choose a folder for the restored items. | (no recovery) | lasting "
           "| "
            + warning;
    QTest::newRow("original locations of a job without a source folder")
        << "noSource"
        << "Restore target is not valid | Choose a folder for the restored items. | (no recovery) | lasting "
           "| "
            + warning;
    QTest::newRow("no chosen folder") << "noChosen"
                                      << "Restore target is not valid | Choose a folder for the restored "
                                         "items. | (no recovery) | lasting | "
            + warning;
}

void tst_RestoreService::refusals()
{
    QFETCH(QString, situation);
    QFETCH(QString, expected);
    RestoreSetup setup;
    RestoreRequest request = setup.request({ QStringLiteral("notes.txt") });
    const QString gone = setup.dir.filePath(QStringLiteral("backup/gone"));
    std::optional<test::Mount> hiddenRsync;
    if (situation == u"emptyAndRootGone" || situation == u"noRsync") {
        if (!test::inPrivateMountNamespace())
            QSKIP("hiding rsync needs a private mount namespace (root)");
        hiddenRsync.emplace(test::Mount::bind(
            setup.dir.write(QStringLiteral("not-rsync"), ""), QStringLiteral("/usr/bin/rsync")));
    }
    if (situation == u"emptyAndRootGone") {
        request.items.clear();
        request.rootPath = gone;
    } else if (situation == u"noRsync") {
        request.rootPath = gone;
        request.items = { setup.dir.filePath(QStringLiteral("elsewhere/x.txt")) };
    } else if (situation == u"rootGone") {
        request.rootPath = gone;
        request.items = { setup.dir.filePath(QStringLiteral("elsewhere/x.txt")) };
    } else if (situation == u"sibling") {
        request.items.append(setup.dir.filePath(QStringLiteral("backup/2026-12-09_090000-old/x.txt")));
    } else if (situation == u"outsideAndGone") {
        request.items = { setup.dir.filePath(QStringLiteral("elsewhere/gone.txt")) };
    } else if (situation == u"itemGone") {
        request.items.append(setup.root + QStringLiteral("/deleted.txt"));
    } else if (situation == u"chosenInside") {
        request = setup.request({ QStringLiteral("notes.txt") }, false);
        request.targetBase = setup.root + QStringLiteral("/projects");
    } else if (situation == u"targetIsChosen") {
        // The whole backup of a job whose folder has no name of its own.
        request = setup.request({ QString() }, false);
        request.sourcePath = QStringLiteral("/");
    } else if (situation == u"noSource") {
        request = setup.request({ QString(), QStringLiteral("notes.txt") });
        request.sourcePath.clear();
    } else if (situation == u"noChosen") {
        request = setup.request({ QStringLiteral("notes.txt") }, false);
        request.targetBase = QStringLiteral("  ");
    }

    const auto plan = RestoreService::makePlan(request, AppSettings {});
    QVERIFY(!plan);
    QCOMPARE(test::describe(plan.error()),
        expected.replace(QStringLiteral("%1"), setup.root).replace(QStringLiteral("%2"), setup.dir.path()));
}

void tst_RestoreService::itemsAndTheirTargets()
{
    RestoreSetup setup;
    const QString home = setup.dir.filePath(QStringLiteral("home"));
    const RestorePlan original
        = setup.plan(setup.request({ QString(), QStringLiteral("notes.txt"), QStringLiteral("link-out") }));
    QCOMPARE(original.items,
        (QList<RestoreItem> {
            { setup.root, setup.source, home, true, true, home },
            { setup.root + QStringLiteral("/notes.txt"), setup.source + QStringLiteral("/notes.txt"),
                setup.source, false, false, setup.source },
            // A link is restored as the link it is, not as what it points at.
            { setup.root + QStringLiteral("/link-out"), setup.source + QStringLiteral("/link-out"),
                setup.source, false, false, setup.source },
        }));
    QCOMPARE(original.environment, PlanBuilder::childEnvironment());
    QCOMPARE(original.executable, QStringLiteral("/usr/bin/rsync"));

    // A backup folder reached through a link is still the whole backup when chosen itself.
    const QString link = setup.dir.filePath(QStringLiteral("latest"));
    QVERIFY(QFile::link(setup.root, link));
    RestoreRequest throughLink = setup.request({});
    throughLink.rootPath = link;
    throughLink.items = { link, link + QStringLiteral("/notes.txt") };
    QCOMPARE(setup.plan(throughLink).items, original.items.first(2));

    const RestorePlan chosen = setup.plan(
        setup.request({ QStringLiteral("projects/app/src/main.c"), QStringLiteral("projects") }, false));
    QCOMPARE(chosen.items,
        (QList<RestoreItem> {
            { setup.root + QStringLiteral("/projects/app/src/main.c"),
                setup.chosen + QStringLiteral("/projects/app/src/main.c"),
                setup.chosen + QStringLiteral("/projects/app/src"), false, false, setup.chosen },
            { setup.root + QStringLiteral("/projects"), setup.chosen + QStringLiteral("/projects"),
                setup.chosen, true, false, setup.chosen },
        }));
}

void tst_RestoreService::argumentVectors_data()
{
    QTest::addColumn<RestoreItem>("item");
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QStringList>("tail");
    const RestoreItem file { "/b/s/docs/a.txt", "/home/u/docs/a.txt", "/home/u/docs", false, false,
        "/home/u" };
    QTest::newRow("keeping existing files")
        << file << false << QStringList { "--ignore-existing", "/b/s/docs/a.txt", "/home/u/docs/" };
    QTest::newRow("replacing existing files")
        << file << true << QStringList { "/b/s/docs/a.txt", "/home/u/docs/" };
    QTest::newRow("folder at the top of the disk") << RestoreItem { "/b/s/etc", "/etc", "/", true, false,
        "/" } << true << QStringList { "/b/s/etc", "/" };
    QTest::newRow("whole backup: its contents into the target itself")
        << RestoreItem { "/b/s", "/home/u/Documents", "/home/u", true, true, "/home/u" } << true
        << QStringList { "/b/s/", "/home/u/Documents/" };
}

void tst_RestoreService::argumentVectors()
{
    QFETCH(RestoreItem, item);
    QFETCH(bool, overwrite);
    QFETCH(QStringList, tail);
    const QStringList always { "--recursive", "--times", "--perms", "--links", "--xattrs", "--human-readable",
        "--partial", "--protect-args", "--info=progress2,name0", "--out-format=XFER %n",
        "--exclude=.rsync-partial/" };
    QCOMPARE(RestoreService::arguments(item, overwrite), always + tail);
}

void tst_RestoreService::wholeBackupLandsInTheSourceFolderItself()
{
    RestoreSetup setup;
    setup.dir.write(QStringLiteral("home/Documents/made-since.txt"), "newer than the backup\n");
    // What interrupted backups left in their partial folders stays in the backup.
    setup.write(QStringLiteral(".rsync-partial/.notes.txt.Xk3f9a"), "half a temporary file");
    setup.write(QStringLiteral("projects/.rsync-partial/readme.md"), "half a readme");
    RestoreRequest request = setup.request({ QString() });
    request.overwriteExisting = true;
    const RestorePlan plan = setup.plan(request);

    QCOMPARE(restore(plan, plan.items[0]).exitCode, 0);
    QCOMPARE(filesBelow(setup.source),
        (QStringList { "link-out", "made-since.txt", "notes.txt", "projects/app/readme.md",
            "projects/app/src/main.c" }));
    QVERIFY(QFileInfo(setup.source + QStringLiteral("/link-out")).isSymLink());
    QCOMPARE(
        QDir(setup.dir.filePath(QStringLiteral("home"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList { "Documents" });
}

void tst_RestoreService::nestedItemIntoANewChosenFolder()
{
    RestoreSetup setup;
    const RestorePlan plan = setup.plan(setup.request({ QStringLiteral("projects/app/src/main.c") }, false));

    QCOMPARE(restore(plan, plan.items[0]).exitCode, 0);
    QCOMPARE(filesBelow(setup.chosen), QStringList { "projects/app/src/main.c" });
    QCOMPARE(test::TempDir::read(plan.items[0].targetPath), QByteArray("int main() { return 0; }\n"));
}

void tst_RestoreService::missingChosenFolderIsNeverCreated()
{
    RestoreSetup setup;
    const RestorePlan plan = setup.plan(setup.request({ QStringLiteral("projects/app/src/main.c") }, false));
    QVERIFY(QDir(setup.chosen).removeRecursively());

    const auto problem = RestoreService::createTargetFolders(plan.items[0]);
    QVERIFY(problem);
    QCOMPARE(problem->message, QStringLiteral("The folder %1 is not available.").arg(setup.chosen));
    // Items before this one may have been restored already.
    QCOMPARE(problem->recovery,
        QStringLiteral("Reconnect its drive or choose another folder. Nothing was restored into it."));
    QVERIFY(!QFileInfo::exists(setup.chosen));
}

void tst_RestoreService::conflictScan_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("expected"); // %1 the root, %2 the rsync executable
    const QString incomplete
        = QStringLiteral("The check for files that would be replaced could not be completed: ");
    QTest::newRow("nothing at the target") << "empty" << QStringList();
    QTest::newRow("only what would be replaced")
        << "changed" << QStringList { "app/café.txt", R"(app/d\#303.txt)", "app/readme.md", "notes.txt" };
    QTest::newRow("a dry run ends with an rsync error")
        << "itemGone"
        << QStringList { "app/café.txt", R"(app/d\#303.txt)", "app/readme.md", "notes.txt",
               incomplete
                   + "rsync: [sender] link_stat \"%1/deleted.txt\" failed: No such file or directory (2)" };
    QTest::newRow("rsync cannot start")
        << "notExecutable" << QStringList { incomplete + "%2 is not executable." };
}

void tst_RestoreService::conflictScan()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, expected);
    RestoreSetup setup;
    setup.write(QStringLiteral("deleted.txt"), "about to go\n");
    setup.write(QStringLiteral("projects/app/café.txt"), "a name rsync escapes\n");
    // Looks like an escape, so rsync escapes its backslash: decoded twice, it would name another file.
    setup.write(QStringLiteral(R"(projects/app/d\#303.txt)"), "a name that must stay as it is\n");
    RestorePlan plan = setup.plan(setup.request(
        { QStringLiteral("projects/app"), QStringLiteral("deleted.txt"), QStringLiteral("notes.txt") }));
    if (situation != u"empty") {
        // Files that differ, one that is identical, and a folder already there.
        setup.dir.write(QStringLiteral("home/Documents/projects/app/readme.md"), "edited since the backup\n");
        setup.dir.write(QStringLiteral("home/Documents/projects/app/café.txt"), "edited since the backup\n");
        setup.dir.write(
            QStringLiteral(R"(home/Documents/projects/app/d\#303.txt)"), "edited since the backup\n");
        setup.dir.write(QStringLiteral("home/Documents/notes.txt"), "edited since the backup\n");
        QCOMPARE(QProcess::execute(QStringLiteral("/bin/cp"),
                     { QStringLiteral("-p"), setup.root + QStringLiteral("/deleted.txt"), setup.source }),
            0);
    }
    if (situation == u"itemGone")
        QVERIFY(QFile::remove(setup.root + QStringLiteral("/deleted.txt")));
    if (situation == u"notExecutable")
        plan.executable = setup.dir.write(QStringLiteral("plain-file"), "not a program");

    QStringList filled;
    for (const QString& line : expected)
        filled.append(QString(line)
                          .replace(QStringLiteral("%1"), setup.root)
                          .replace(QStringLiteral("%2"), plan.executable));
    QCOMPARE(QCoro::waitFor(RestoreService::scanConflicts(plan)), filled);
    QCOMPARE(setup.previewLogs(), QStringList());
}

int main(int argc, char** argv)
{
    // Before any thread exists, so that rsync can be hidden from the planner.
    test::enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    tst_RestoreService test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RestoreService.moc"
