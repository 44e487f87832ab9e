#include "shell/TrayShell.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "shell/StatusTooltip.h"
#include "shell/StatusTransition.h"
#include "shell/TrayInk.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

namespace mv {

TrayShell::TrayShell(
    AppState& state, PanelPresenter& panel, DashboardPresenter& dashboard, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_panel(panel)
    , m_dashboard(dashboard)
    , m_icon(clock)
{
    m_tray.setToolTip(QStringLiteral("Marrowvale"));
    m_tray.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, [this] {
        fillTrayMenu(
            m_menu, m_actions, { m_state.enabledJobCount(), !m_state.coordinator().activeRuns().isEmpty() });
    });
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A quick second click arrives as a double click: it toggles again, as every click does.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel(
                m_tray.geometry().isValid() ? std::optional(m_tray.geometry().center()) : QCursor::pos());
    });

    connect(&m_actions.openDashboard, &QAction::triggered, this,
        [this] { m_dashboard.openDashboard(DashboardSection::overview); });
    connect(&m_actions.openSettings, &QAction::triggered, this,
        [this] { m_dashboard.openDashboard(DashboardSection::settings); });
    connect(&m_actions.runAll, &QAction::triggered, this,
        [this] { m_state.coordinator().runAll(RunTrigger::manual); });
    connect(&m_actions.pauseAll, &QAction::triggered, this, [this] { m_state.coordinator().pauseAll(); });
    connect(&m_shortcut, &GlobalShortcut::activated, this, &TrayShell::shortcutPressed);

    m_icon.onTick = [this] { updateStatusItem(); };
    // A burst of changes redraws once, after the change itself has been stored.
    // The tooltip shows the runs' progress, so their figures count too.
    const auto queueUpdate = [this] {
        if (std::exchange(m_updateQueued, true))
            return;
        QTimer::singleShot(0, this, [this] {
            m_updateQueued = false;
            updateStatusItem();
        });
    };
    connect(&m_state, &AppState::changed, this, queueUpdate);
    connect(&m_state, &AppState::runFiguresChanged, this, queueUpdate);
    connect(&m_state.store(), &ConfigurationStore::changed, this, &TrayShell::applySettings);
    // The icon first: a tray shows nothing for an item made visible without one.
    updateStatusItem();
    applySettings();
}

void TrayShell::updateStatusItem()
{
    const AggregateStatus status = m_state.aggregateStatus();
    if (const std::optional<bool> success = finishedRun(m_lastAggregate, status))
        m_icon.noteRunFinished(*success);
    m_lastAggregate = status;
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const TrayInk ink = TrayInk::forTray();
    m_tray.setIcon(QIcon(QPixmap::fromImage(m_icon.image(status, ink.glyph, ratio, ink.ring))));
    m_tray.setToolTip(statusTooltip(status));
}

void TrayShell::applySettings()
{
    const AppSettings& settings = m_state.store().config().settings;
    m_tray.setVisible(settings.showMenuBarIcon);
    if (!settings.showMenuBarIcon)
        m_panel.hidePanel();
    if (settings.globalShortcutEnabled && !m_shortcut.isInstalled())
        m_shortcut.install();
    else if (!settings.globalShortcutEnabled)
        m_shortcut.remove();
}

void TrayShell::togglePanel(std::optional<QPoint> anchor)
{
    if (!m_state.store().config().settings.showMenuBarIcon)
        return;
    if (m_panel.isPanelVisible())
        m_panel.hidePanel();
    else
        m_panel.showPanel(anchor);
}

void TrayShell::shortcutPressed()
{
    if (m_panel.isPanelVisible() || QGuiApplication::applicationState() != Qt::ApplicationActive)
        togglePanel();
}

} // namespace mv
