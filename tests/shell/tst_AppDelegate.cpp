#include "coordination/AppState.h"
#include "google/GoogleCredentialStore.h"
#include "shell/AppDelegate.h"
#include "shell/QuitQuestion.h"
#include "shell/TrayShell.h"
#include "support/EnumCompare.h"
#include "support/IntegrationTimeout.h"
#include "support/ManualClock.h"
#include "support/ScriptedRsync.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/Screenshots.h"
#include "support/ui/UiTestMain.h"

#include <QMenu>
#include <QSemaphore>
#include <QToolTip>
#include <QtTest>

#include <qcoro/qcorotask.h>

// Declared before the first use: the table below is typed by it.
Q_DECLARE_METATYPE(mv::LaunchSwitches)

using namespace mv;
using namespace std::chrono_literals;

namespace {

// What the program's windows were asked to do, each stamped with the clock's milliseconds since launch.
struct Windows final : PanelPresenter, DashboardPresenter {
    test::ManualClock& clock;
    QDateTime launchedAt = clock.now();
    QStringList events;
    bool panelVisible = false;

    explicit Windows(test::ManualClock& clock)
        : clock(clock)
    {
    }
    QString at() const { return QString::number(launchedAt.msecsTo(clock.now())); }
    bool isPanelVisible() const override { return panelVisible; }
    void showPanel(std::optional<QPoint>) override
    {
        panelVisible = true;
        events.append(at() + " panel");
    }
    void hidePanel() override { panelVisible = false; }
    void openDashboard(DashboardSection section) override
    {
        events.append(at() + " dashboard " + sectionName(section));
    }
};

// A delegate on a real state hub, with a hand-moved clock and recorded windows.
struct Launch {
    test::AppStateHarness hub;
    test::ManualClock clock;
    Windows windows { clock };
    bool trayAvailable = true;
    SecretBackend* keyring = &hub.secrets;
    std::optional<AppDelegate> delegate;
    std::optional<QCoro::Task<>> launching;
    // The dashboard menus handed out, by the actions' names, and the last one.
    QList<QStringList> dashboardMenus;
    QList<QAction*> dashboardMenu;

    // Launches and waits for the launch to end.
    void start(const LaunchSwitches& switches)
    {
        begin(switches);
        QCoro::waitFor(std::move(*launching));
        windows.launchedAt = clock.now();
    }

    void begin(const LaunchSwitches& switches)
    {
        ShellViews views {
            [this](ViewContext&) { return std::make_unique<Forward>(windows); },
            [this](ViewContext&, DashboardModel&, std::function<void()>) {
                return std::make_unique<Forward>(windows);
            },
            [this] { return trayAvailable; },
        };
        delegate.emplace(hub.store,
            AppEnvironment { clock, hub.bus.connection(), hub.bus.connection(), *keyring, hub.browser,
                hub.fileManager, hub.log, GoogleEndpoints::at(QUrl(QStringLiteral("http://127.0.0.1:9"))) },
            std::move(views), switches);
        QObject::connect(
            &*delegate, &AppDelegate::dashboardMenuChanged, [this](const QList<QAction*>& actions) {
                QStringList names;
                for (const QAction* action : actions)
                    names.append(action->objectName());
                dashboardMenus.append(names);
                dashboardMenu = actions;
            });
        launching.emplace(delegate->launch());
    }
    // Lets every delayed action that falls due in the first four seconds fire.
    void runFourSeconds()
    {
        for (int step = 0; step < 40; ++step)
            clock.advance(100ms);
    }

    // The delegate owns what the factories make; these pass the calls on to the recorder.
    struct Forward final : PanelPresenter, DashboardPresenter {
        Windows& to;
        explicit Forward(Windows& to)
            : to(to)
        {
        }
        bool isPanelVisible() const override { return to.isPanelVisible(); }
        void showPanel(std::optional<QPoint> anchor) override { to.showPanel(anchor); }
        void hidePanel() override { to.hidePanel(); }
        void openDashboard(DashboardSection section) override { to.openDashboard(section); }
    };
};

// A keyring that answers once released, as one whose daemon is still starting.
class SlowKeyring final : public SecretBackend {
public:
    explicit SlowKeyring(SecretBackend& stored)
        : m_stored(stored)
    {
    }
    // A test that fails while holding it lets the lookups go before they lose their keyring.
    ~SlowKeyring() override { release(); }
    Lookup lookup(const QString& account) override
    {
        m_released.acquire();
        m_released.release();
        return m_stored.lookup(account);
    }
    bool store(const QString& account, const QString& value) override
    {
        return m_stored.store(account, value);
    }
    bool remove(const QString& account) override { return m_stored.remove(account); }
    void release() { m_released.release(); }

private:
    SecretBackend& m_stored;
    QSemaphore m_released;
};

QCoro::Task<bool> answer(bool quit)
{
    co_return quit;
}

} // namespace

class tst_AppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void delayedLaunchActions_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::addColumn<bool>("dashboardAtLogin");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<LaunchSwitches>("switches");
        QTest::addColumn<QStringList>("events");

        const LaunchSwitches none;
        LaunchSwitches showPanel;
        showPanel.showPanel = true;
        LaunchSwitches destinations;
        destinations.debugDashboard = true;
        destinations.debugSection = DashboardSection::destinations;
        LaunchSwitches editor;
        editor.debugDashboard = true;
        editor.debugEditor = true;
        editor.debugSection = DashboardSection::jobs;
        LaunchSwitches panelAfterThree;
        panelAfterThree.debugShowPanelAfter = 3s;

        QTest::newRow("first run: the panel once")
            << 0 << false << true << none << QStringList { "500 panel" };
        QTest::newRow("jobs: nothing") << 1 << false << true << none << QStringList {};
        QTest::newRow("jobs, asked for the panel")
            << 1 << false << true << showPanel << QStringList { "500 panel" };
        QTest::newRow("first run asked for the panel: still once")
            << 0 << false << true << showPanel << QStringList { "500 panel" };
        QTest::newRow("dashboard at login")
            << 0 << true << true << none << QStringList { "500 panel", "800 dashboard overview" };
        QTest::newRow("debug dashboard section")
            << 1 << false << true << destinations << QStringList { "1000 dashboard destinations" };
        QTest::newRow("debug editor")
            << 1 << false << true << editor << QStringList { "1000 dashboard jobs" };
        QTest::newRow("debug panel after 3 s")
            << 1 << false << true << panelAfterThree << QStringList { "3000 panel" };
        QTest::newRow("no tray: the dashboard at once")
            << 1 << false << false << none << QStringList { "0 dashboard overview" };
    }

    void delayedLaunchActions()
    {
        QFETCH(int, jobs);
        QFETCH(bool, dashboardAtLogin);
        QFETCH(bool, trayAvailable);
        QFETCH(LaunchSwitches, switches);
        QFETCH(QStringList, events);

        Launch launch;
        std::optional<BackupJob> first;
        for (int i = 0; i < jobs; ++i)
            first
                = launch.hub.addJob(QStringLiteral("Job %1").arg(i), { { "ssd", BackupMode::incremental } });
        launch.hub.settings([&](AppSettings& s) { s.openDashboardAtLogin = dashboardAtLogin; });
        launch.trayAvailable = trayAvailable;
        launch.start(switches);
        launch.runFourSeconds();
        QCOMPARE(launch.windows.events, events);
        if (switches.debugEditor)
            QCOMPARE(launch.delegate->ui().selectedJobID(), first->id);
    }

    // The tray icon does not wait for the keyring; the windows that show the Google account open once it
    // is known.
    void iconBeforeTheKeyringAnswers()
    {
        Launch launch;
        launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        launch.hub.secrets.store(QString(GoogleCredentialStore::refreshToken), QStringLiteral("token"));
        launch.hub.secrets.store(
            QString(GoogleCredentialStore::accountEmail), QStringLiteral("ann@example.com"));
        SlowKeyring keyring(launch.hub.secrets);
        launch.keyring = &keyring;
        launch.trayAvailable = false;
        launch.begin({});
        QVERIFY(launch.delegate->statusItem());
        QVERIFY(launch.delegate->statusItem()->trayIcon().isVisible());
        QVERIFY(launch.windows.events.isEmpty());

        keyring.release();
        QCoro::waitFor(std::move(*launch.launching));
        QCOMPARE(launch.delegate->appState()->googleAuth().account().value_or(QString()), "ann@example.com");
        QCOMPARE(launch.windows.events, QStringList { "0 dashboard overview" });
    }

    // Menus and tooltips, which Qt builds outside the views, speak in the program's font, as the panel does.
    void menusAndTooltipsUseTheProgramFont()
    {
        Launch launch;
        launch.start({});
        QMenu* menu = launch.delegate->statusItem()->trayIcon().contextMenu();
        menu->popup(QPoint(100, 100));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QCOMPARE(QFontInfo(menu->font()).family(), "Inter");
        QVERIFY(test::saveLightAndDark(*menu, "tray-menu"));
        menu->hide();

        QToolTip::showText(QPoint(200, 200), QStringLiteral("Open Dashboard (Ctrl+D)"));
        const auto shownTip = []() -> QWidget* {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->inherits("QTipLabel") && widget->isVisible())
                    return widget;
            return nullptr;
        };
        MV_TRY_VERIFY(shownTip());
        QCOMPARE(QFontInfo(shownTip()->font()).family(), "Inter");
        QToolTip::hideText();
    }

    // A second start shows the panel, or the dashboard while the icon is hidden.
    void reopen()
    {
        Launch launch;
        launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        launch.start({});
        launch.delegate->reopen();
        launch.hub.settings([](AppSettings& s) { s.showMenuBarIcon = false; });
        launch.delegate->reopen();
        QCOMPARE(launch.windows.events, (QStringList { "0 panel", "0 dashboard overview" }));
    }

    // The dashboard carries a menu bar while no tray icon leads to the program, and only then.
    void dashboardMenuFollowsTheIcon_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<bool>("iconShown");
        QTest::addColumn<QList<QStringList>>("atLaunch");
        QTest::addColumn<QList<QStringList>>("afterTurningTheIconOverOnce");

        const QStringList menu { "openDashboard", "openSettings", "quit" };
        QTest::newRow("icon shown, then turned off")
            << true << true << QList<QStringList> {} << QList<QStringList> { menu };
        QTest::newRow("icon off, then turned on")
            << true << false << QList<QStringList> { menu } << QList<QStringList> { menu, {} };
        QTest::newRow("no tray, icon turned off")
            << false << true << QList<QStringList> { menu } << QList<QStringList> { menu };
        QTest::newRow("no tray, icon turned on")
            << false << false << QList<QStringList> { menu } << QList<QStringList> { menu };
    }

    void dashboardMenuFollowsTheIcon()
    {
        QFETCH(bool, trayAvailable);
        QFETCH(bool, iconShown);
        QFETCH(QList<QStringList>, atLaunch);
        QFETCH(QList<QStringList>, afterTurningTheIconOverOnce);

        Launch launch;
        launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        launch.hub.settings([&](AppSettings& s) { s.showMenuBarIcon = iconShown; });
        launch.trayAvailable = trayAvailable;
        launch.start({});
        QCOMPARE(launch.dashboardMenus, atLaunch);
        launch.hub.settings([&](AppSettings& s) { s.showMenuBarIcon = !iconShown; });
        // Other settings leave the menu as it is.
        launch.hub.settings([](AppSettings& s) { s.notifySuccess = false; });
        QCOMPARE(launch.dashboardMenus, afterTurningTheIconOverOnce);
    }

    // The dashboard's menu is the tray menu's: its commands go where the tray's do.
    void dashboardMenuCommands()
    {
        Launch launch;
        launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        launch.trayAvailable = false;
        launch.start({});
        QSignalSpy finished(&*launch.delegate, &AppDelegate::finished);
        for (QAction* action : launch.dashboardMenu)
            action->trigger();
        QCOMPARE(launch.windows.events,
            (QStringList { "0 dashboard overview", "0 dashboard overview", "0 dashboard settings" }));
        MV_TRY_COMPARE(finished.size(), 1);
    }

    // The views' requests reach the dashboard's model and section.
    void navigation()
    {
        Launch launch;
        const BackupJob docs = launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        launch.start({});
        AppState& state = *launch.delegate->appState();
        state.requests().requestNavigation({ NavigationRequest::Target::job, docs.id });
        QCOMPARE(launch.delegate->ui().selectedJobID(), docs.id);
        state.requests().requestNavigation({ NavigationRequest::Target::newJob, {} });
        QVERIFY(launch.delegate->ui().presentNewJob());
        state.requests().requestNavigation({ NavigationRequest::Target::activity, docs.id });
        QCOMPARE(launch.delegate->ui().activityJobID(), docs.id);
        state.requests().requestNavigation({ NavigationRequest::Target::dashboard, {} });
        QCOMPARE(launch.windows.events,
            (QStringList {
                "0 dashboard jobs", "0 dashboard jobs", "0 dashboard activity", "0 dashboard overview" }));

        QSignalSpy finished(&*launch.delegate, &AppDelegate::finished);
        state.requests().requestNavigation({ NavigationRequest::Target::quit, {} });
        MV_TRY_COMPARE(finished.size(), 1);
    }

    // "Keep Backing Up" leaves the run going; the system's request to end stops it without asking and
    // records it as cancelled.
    void quitAndTerminateDuringARun()
    {
        Launch launch;
        test::ScriptedRsync rsync;
        rsync.setBehaviour("ssd",
            test::ScriptedRsync::markReached("started") + "; " + test::ScriptedRsync::holdUntilReleased());
        launch.hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        const BackupJob docs = launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        launch.start({});
        QList<QuitQuestion> asked;
        launch.delegate->confirmQuit = [&](QuitQuestion question) {
            asked.append(question);
            return answer(false);
        };
        QSignalSpy finished(&*launch.delegate, &AppDelegate::finished);
        AppState& state = *launch.delegate->appState();
        state.jobActions().runJob(docs);
        MV_TRY_VERIFY(rsync.hasReached("ssd", "started"));

        launch.delegate->context()->commands.quit.trigger();
        MV_TRY_COMPARE(asked.size(), 1);
        QCOMPARE(asked.first().message, "Quit while a backup is running?");
        QCOMPARE(state.coordinator().activeRuns().size(), 1);
        QCOMPARE(finished.size(), 0);

        launch.delegate->terminate();
        MV_TRY_COMPARE(finished.size(), 1);
        QCOMPARE(asked.size(), 1);
        const std::vector<BackupRunRecord> rows = state.history().fetch(10, 0);
        QCOMPARE(rows.size(), 1u);
        QCOMPARE(rows.front().result, RunResult::cancelled);
    }

    // The debug run starts the first job two seconds in, and it finishes with real rsync.
    void debugRunRunsTheFirstJob()
    {
        Launch launch;
        launch.hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        LaunchSwitches switches;
        switches.debugRun = true;
        launch.start(switches);
        AppState& state = *launch.delegate->appState();
        launch.clock.advance(1900ms);
        QVERIFY(state.coordinator().activeRuns().isEmpty());
        launch.clock.advance(100ms);
        MV_TRY_VERIFY(!state.history().fetch(10, 0).empty()
            && state.history().fetch(10, 0).front().result == RunResult::success);
    }
};

MV_UI_TEST_MAIN(tst_AppDelegate)
#include "tst_AppDelegate.moc"
