#include "model/ConfigurationStore.h"
#include "shell/TrayShell.h"
#include "support/IntegrationTimeout.h"
#include "support/ScriptedRsync.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/UiTestMain.h"

#include <QWidget>
#include <QtTest>

using namespace mv;

namespace {

// The panel and dashboard as the tray asks for them.
struct Windows final : PanelPresenter, DashboardPresenter {
    bool panelVisible = false;
    QList<DashboardSection> opened;

    bool isPanelVisible() const override { return panelVisible; }
    void showPanel(std::optional<QPoint>) override { panelVisible = true; }
    void hidePanel() override { panelVisible = false; }
    void openDashboard(DashboardSection section) override { opened.append(section); }
};

// The menu's entries as object name, text and shortcut, "--" for a separator.
QStringList menuEntries(const QMenu& menu)
{
    QStringList entries;
    for (const QAction* action : menu.actions())
        entries << (action->isSeparator() ? QStringLiteral("--")
                                          : action->objectName() + u'|' + action->text() + u'|'
                    + action->shortcut().toString(QKeySequence::PortableText));
    return entries;
}

} // namespace

class tst_TrayShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The menu holds the program's commands in groups; the tooltip follows a real run from the menu's "Run
    // All Jobs" to its end; "Pause All" is offered only while it runs.
    void followsARunFromTheMenu()
    {
        test::AppStateHarness hub;
        test::ScriptedRsync rsync;
        rsync.setBehaviour("ssd", "/usr/bin/rsync \"$@\"; " + test::ScriptedRsync::holdUntilReleased());
        hub.settings([&](AppSettings& s) { s.rsyncPath = rsync.path(); });
        hub.addJob("Docs", { { "ssd", BackupMode::incremental } });
        hub.build();
        Windows windows;
        TrayShell shell(hub.context(), windows, windows);
        QCOMPARE(shell.trayIcon().toolTip(), "Marrowvale \u2014 Ready to back up");
        QVERIFY(!shell.trayIcon().icon().isNull());

        QMenu& menu = *shell.trayIcon().contextMenu();
        Q_EMIT menu.aboutToShow();
        const QStringList entries = menuEntries(menu);
        QCOMPARE(entries,
            (QStringList { "openDashboard|Open Dashboard|Ctrl+D", "--", "runAll|Run All Jobs|Ctrl+R",
                "pauseAll|Pause All|", "--", "openSettings|Settings\u2026|Ctrl+,", "--",
                "checkForUpdates|Check for Updates\u2026|", "--", "quit|Quit Marrowvale|Ctrl+Q" }));
        QVERIFY(hub.context().commands.runAll.isEnabled());
        QVERIFY(!hub.context().commands.pauseAll.isEnabled());
        hub.context().commands.runAll.trigger();
        MV_TRY_VERIFY(shell.trayIcon().toolTip().startsWith("Marrowvale \u2014 Backing up Docs"));
        Q_EMIT menu.aboutToShow();
        QVERIFY(hub.context().commands.pauseAll.isEnabled());
        QCOMPARE(menuEntries(menu), entries); // rebuilt each time it opens, never doubled

        rsync.release("ssd");
        MV_TRY_COMPARE(shell.trayIcon().toolTip(), "Marrowvale \u2014 Everything is up to date");
    }

    // A left click toggles the panel; the dashboard and settings open on their sections; with the icon
    // hidden the panel goes and stays away.
    void clicksAndSettings()
    {
        test::AppStateHarness hub;
        hub.build();
        Windows windows;
        TrayShell shell(hub.context(), windows, windows);
        // Nothing could run yet.
        QVERIFY(!hub.context().commands.runAll.isEnabled());
        Q_EMIT shell.trayIcon().activated(QSystemTrayIcon::Trigger);
        QVERIFY(windows.panelVisible);
        Q_EMIT shell.trayIcon().activated(QSystemTrayIcon::Trigger);
        QVERIFY(!windows.panelVisible);

        hub.context().commands.openDashboard.trigger();
        hub.context().commands.openSettings.trigger();
        QCOMPARE(windows.opened,
            (QList<DashboardSection> { DashboardSection::overview, DashboardSection::settings }));

        shell.togglePanel();
        QVERIFY(windows.panelVisible);
        hub.settings([](AppSettings& s) { s.showMenuBarIcon = false; });
        Q_EMIT hub.store.changed();
        QVERIFY(!windows.panelVisible);
        QVERIFY(!shell.trayIcon().isVisible());
        shell.togglePanel();
        QVERIFY(!windows.panelVisible);
    }

    // The global shortcut closes a shown panel whoever is active (showing it made the program active) and
    // opens it only from another program, not over one of our own windows.
    void shortcutToggles_data()
    {
        QTest::addColumn<bool>("panelShown");
        QTest::addColumn<bool>("programActive");
        QTest::addColumn<bool>("panelAfter");
        // Offscreen, the program stays active once a window of its own was: the rows without one come first.
        QTest::newRow("another program active") << false << false << true;
        QTest::newRow("panel shown, another program active") << true << false << false;
        QTest::newRow("panel shown, program active") << true << true << false;
        QTest::newRow("one of our windows active") << false << true << false;
    }

    void shortcutToggles()
    {
        QFETCH(bool, panelShown);
        QFETCH(bool, programActive);
        QFETCH(bool, panelAfter);
        test::AppStateHarness hub;
        hub.build();
        Windows windows;
        windows.panelVisible = panelShown;
        TrayShell shell(hub.context(), windows, windows);
        QWidget ours;
        if (programActive) {
            ours.show();
            ours.activateWindow();
        }
        MV_TRY_COMPARE(QGuiApplication::applicationState() == Qt::ApplicationActive, programActive);

        shell.shortcutPressed();
        QCOMPARE(windows.panelVisible, panelAfter);
    }
};

MV_UI_TEST_MAIN(tst_TrayShell)
#include "tst_TrayShell.moc"
