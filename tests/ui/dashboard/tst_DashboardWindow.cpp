#include "model/ConfigurationStore.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "support/ui/UiTestMain.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/dashboard/DashboardWindow.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QtTest>

using namespace mv;

namespace {

using namespace std::chrono_literals;

const QString frameKey = QStringLiteral("MarrowvaleDashboardFrame");
// The default frame centred on the test's 1920×1080 screen.
const QRect centred(440, 190, 1040, 700);

QSettings settings()
{
    return QSettings(QStringLiteral("Marrowvale"), QStringLiteral("Marrowvale"));
}

// A dashboard on a fresh state hub, with the editor openings it announced and the panel hides it asked for.
struct Dashboard {
    test::AppStateHarness hub;
    test::ManualClock clock;
    test::RecordingPrompts prompts;
    DashboardModel model;
    int panelHides = 0;
    std::optional<DashboardWindow> dashboard;
    QList<JobEditorContext> editors;

    explicit Dashboard(const std::function<void(test::AppStateHarness&)>& jobs = {})
    {
        if (jobs)
            jobs(hub);
        hub.build();
        dashboard.emplace(hub.context(), model, clock, prompts, [this] { ++panelHides; });
        // Followed as the program follows it: from the moment the window is made.
        QObject::connect(&*dashboard, &DashboardWindow::windowMade, [this] {
            QObject::connect(dashboard->view(), &DashboardView::editorOpened,
                [this](const JobEditorContext& context) { editors.append(context); });
        });
    }

    // Opens the dashboard and lets its fade-in run to the end.
    void open(DashboardSection section)
    {
        dashboard->openDashboard(section);
        clock.advance(DashboardWindow::fadeInDelay);
        MV_TRY_VERIFY(!dashboard->isPresenting());
    }

    QWidget& window() { return *dashboard->window(); }
};

} // namespace

class tst_DashboardWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { settings().remove(frameKey); }

    void restoresTheStoredFrame_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("nothing stored") << QVariant() << centred;
        QTest::newRow("1400 × 800") << QVariant("{{100, 100}, {1400, 800}}") << centred;
        QTest::newRow("1360 × 900 on screen")
            << QVariant("{{60, 40}, {1360, 900}}") << QRect(60, 40, 1360, 900);
        QTest::newRow("50 px strip on screen") << QVariant("{{1870, 200}, {1000, 700}}") << centred;
        QTest::newRow("garbage") << QVariant("somewhere") << centred;
        QTest::newRow("NaN") << QVariant("{{nan, 10}, {1040, 700}}") << centred;
    }

    // The first opening takes the stored frame only when it is sane and on screen; it hides the panel and
    // keeps the minimum size.
    void restoresTheStoredFrame()
    {
        QFETCH(QVariant, stored);
        QFETCH(QRect, expected);
        if (stored.isValid())
            settings().setValue(frameKey, stored);
        Dashboard d;
        QVERIFY(!d.dashboard->window());
        d.open(DashboardSection::overview);
        QCOMPARE(d.panelHides, 1);
        QCOMPARE(d.window().geometry(), expected);
        QCOMPARE(d.window().windowTitle(), "Marrowvale");
        QCOMPARE(d.window().minimumSize(), QSize(880, 600));
        QCOMPARE(d.window().windowOpacity(), 1.0);
    }

    // For 6 s after an opening a resize snaps back; afterwards a resize stays and becomes the frame a later
    // opening restores, while a move is saved on close but not restored while the program runs.
    void holdsTheFrameThenFollowsTheUser()
    {
        Dashboard d;
        d.open(DashboardSection::overview);
        QVERIFY(d.dashboard->isEnforcing());
        d.window().resize(1100, 750);
        MV_TRY_COMPARE(d.window().geometry(), centred);

        d.clock.advance(DashboardWindow::holdPeriod);
        QVERIFY(!d.dashboard->isEnforcing());
        d.window().resize(1100, 750);
        MV_TRY_COMPARE(d.dashboard->desiredFrame(), QRect(centred.topLeft(), QSize(1100, 750)));
        d.window().move(200, 100);
        MV_TRY_COMPARE(d.window().pos(), QPoint(200, 100));
        const QRect moved = d.window().geometry();
        QVERIFY(moved.topLeft() != centred.topLeft());
        QCOMPARE(d.dashboard->desiredFrame()->topLeft(), centred.topLeft());

        d.window().close();
        QVERIFY(!d.window().isVisible());
        QCOMPARE(settings().value(frameKey).toString(),
            QStringLiteral("{{%1, %2}, {1100, 750}}").arg(moved.x()).arg(moved.y()));

        d.open(DashboardSection::jobs);
        QCOMPARE(d.window().geometry(), QRect(centred.topLeft(), QSize(1100, 750)));
        QCOMPARE(d.panelHides, 2);
    }

    // A window opened again while on screen keeps its place and is held for another 6 s.
    void holdsAgainWhenOpenedWhileShown()
    {
        Dashboard d;
        d.open(DashboardSection::overview);
        d.clock.advance(DashboardWindow::holdPeriod);
        d.dashboard->openDashboard(DashboardSection::activity);
        QVERIFY(d.dashboard->isEnforcing());
        QCOMPARE(d.model.section(), DashboardSection::activity);
        d.window().resize(1000, 650);
        MV_TRY_COMPARE(d.window().geometry(), centred);
        d.clock.advance(DashboardWindow::holdPeriod);
        QVERIFY(!d.dashboard->isEnforcing());
    }

    // A maximised window is stored as the centred default, on close and when the program quits; nothing is
    // stored before the window exists; the window never gets smaller than its minimum.
    void savesOnCloseAndAtQuit()
    {
        Dashboard d;
        d.dashboard->saveDashboardFrame();
        QVERIFY(!settings().contains(frameKey));

        d.open(DashboardSection::overview);
        d.clock.advance(DashboardWindow::holdPeriod);
        d.window().setGeometry(0, 0, 1600, 1000);
        MV_TRY_COMPARE(d.window().size(), QSize(1600, 1000));
        d.window().close();
        QCOMPARE(settings().value(frameKey).toString(), "{{440, 190}, {1040, 700}}");

        d.open(DashboardSection::overview);
        d.clock.advance(DashboardWindow::holdPeriod);
        d.window().setGeometry(30, 20, 900, 620);
        MV_TRY_COMPARE(d.window().geometry(), QRect(30, 20, 900, 620));
        QVERIFY(QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection));
        QCOMPARE(settings().value(frameKey).toString(), "{{30, 20}, {900, 620}}");

        d.window().resize(500, 400);
        MV_TRY_COMPARE(d.window().size(), QSize(880, 600));
    }

    // The program's menu comes with the window or onto the window on screen, and goes again, its shortcuts
    // with it; the sections sit below it.
    void programMenu()
    {
        Dashboard d;
        QAction open(QStringLiteral("Open Dashboard"));
        QAction quit(QStringLiteral("Quit Marrowvale"));
        quit.setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
        QSignalSpy quits(&quit, &QAction::triggered);
        const auto viewBelowTheBar = [&d] {
            QMenuBar* bar = d.dashboard->menuBar();
            return bar && bar->isVisible() && bar->height() > 0 && d.dashboard->view()->y() >= bar->height();
        };

        d.dashboard->setProgramMenu({ &open, &quit });
        QVERIFY(!d.dashboard->menuBar());
        d.open(DashboardSection::overview);
        MV_TRY_VERIFY(viewBelowTheBar());
        const QList<QAction*> menus = d.dashboard->menuBar()->actions();
        QCOMPARE(menus.size(), 1);
        QCOMPARE(menus.first()->text(), "Marrowvale");
        QCOMPARE(menus.first()->menu()->actions(), (QList<QAction*> { &open, &quit }));
        QVERIFY(QTest::qWaitForWindowActive(&d.window()));
        QTest::keyClick(&d.window(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits.size(), 1);

        d.dashboard->setProgramMenu({});
        QVERIFY(!d.dashboard->menuBar());
        QVERIFY(d.window().findChildren<QMenuBar*>().isEmpty());
        MV_TRY_COMPARE(d.dashboard->view()->y(), 0);
        QTest::keyClick(&d.window(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits.size(), 1);

        d.dashboard->setProgramMenu({ &open, &quit });
        MV_TRY_VERIFY(viewBelowTheBar());
    }

    // A new-job request raised before the window exists opens the editor once the window is there, and only
    // once.
    void newJobRequestBeforeTheWindowExists()
    {
        Dashboard d([](test::AppStateHarness& hub) {
            hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
            hub.settings([](AppSettings& s) { s.defaultMode = BackupMode::versioned; });
        });
        d.model.requestNewJob();
        d.open(DashboardSection::jobs);
        QCOMPARE(d.editors.size(), 1);
        const std::optional<JobEditorContext> editor = d.dashboard->view()->editor();
        QVERIFY(editor && editor->isNew);
        QCOMPARE(d.editors[0].id, editor->id);
        QCOMPARE(editor->job.name, "New Backup");
        QCOMPARE(editor->job.mode, BackupMode::versioned);
        QVERIFY(editor->job.destinations.isEmpty());
        QVERIFY(!d.model.presentNewJob());
        QCOMPARE(d.hub.store.config().jobs.size(), 1);

        d.window().close();
        d.open(DashboardSection::jobs);
        QCOMPARE(d.editors.size(), 1);
        QCOMPARE(d.dashboard->view()->editor()->id, editor->id);
    }

    // "Open in Dashboard" before the window exists: the job's editor opens once the window is there, and
    // only once.
    void jobRequestBeforeTheWindowExists()
    {
        BackupJob docs;
        Dashboard d([&](test::AppStateHarness& hub) {
            docs = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        });
        d.model.requestJob(docs.id);
        d.open(DashboardSection::jobs);
        QCOMPARE(d.editors.size(), 1);
        QCOMPARE(d.editors[0].job.id, docs.id);
        QVERIFY(!d.editors[0].isNew);
        QCOMPARE(d.model.selectedJobID(), std::nullopt);

        d.window().close();
        d.open(DashboardSection::jobs);
        QCOMPARE(d.editors.size(), 1);
    }

    // Requests for the section already shown are acted on at once, each time; a job that is gone opens
    // nothing and its request stays.
    void requestsWhileShown()
    {
        BackupJob docs;
        Dashboard d([&](test::AppStateHarness& hub) {
            docs = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        });
        d.open(DashboardSection::jobs);
        QVERIFY(d.editors.isEmpty());

        d.model.requestJob(docs.id);
        QCOMPARE(d.editors.size(), 1);
        QCOMPARE(d.editors[0].job.id, docs.id);
        QVERIFY(!d.editors[0].isNew);
        QCOMPARE(d.model.selectedJobID(), std::nullopt);
        d.model.requestJob(docs.id);
        QCOMPARE(d.editors.size(), 2);
        QVERIFY(d.editors[1].id != d.editors[0].id);

        d.model.requestNewJob();
        QCOMPARE(d.editors.size(), 3);
        QVERIFY(d.editors[2].isNew);

        const QUuid gone = QUuid::createUuid();
        d.model.requestJob(gone);
        QCOMPARE(d.editors.size(), 3);
        QCOMPARE(d.model.selectedJobID(), gone);
    }

    // A job request raised on another section opens the editor when Backup Jobs comes up.
    void jobRequestFromAnotherSection()
    {
        BackupJob docs;
        Dashboard d([&](test::AppStateHarness& hub) {
            docs = hub.addJob("Docs", { { "ssd", BackupMode::mirror } });
        });
        d.open(DashboardSection::activity);
        d.model.setSelectedJobID(docs.id);
        QVERIFY(d.editors.isEmpty());
        d.open(DashboardSection::jobs);
        QCOMPARE(d.editors.size(), 1);
        QCOMPARE(d.editors[0].job.name, "Docs");
    }

    // With no job the dashboard comes up on the overview whatever was asked; Ctrl+N opens a new job's editor
    // and the section stays.
    void ctrlNKeepsTheSection()
    {
        Dashboard d;
        d.open(DashboardSection::destinations);
        QCOMPARE(d.model.section(), DashboardSection::overview);

        d.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        d.dashboard->openDashboard(DashboardSection::destinations);
        QVERIFY(QTest::qWaitForWindowActive(&d.window()));
        QTest::keyClick(&d.window(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(d.editors.size(), 1);
        QVERIFY(d.editors[0].isNew);
        QCOMPARE(d.model.section(), DashboardSection::destinations);

        // Not offered where the header has no "Add Backup".
        d.model.setSection(DashboardSection::activity);
        QTest::keyClick(&d.window(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(d.editors.size(), 1);
    }
};

MV_UI_TEST_MAIN(tst_DashboardWindow)
#include "tst_DashboardWindow.moc"
