#include "shell/TrayShell.h"

#include "model/ConfigurationStore.h"
#include "shell/StatusTooltip.h"
#include "shell/StatusTransition.h"
#include "shell/TrayInk.h"
#include "shell/TrayMenu.h"
#include "ui/kit/Commands.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPalette>
#include <QTimer>

namespace mv {

TrayShell::TrayShell(
    ViewContext& context, PanelPresenter& panel, DashboardPresenter& dashboard, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_panel(panel)
    , m_dashboard(dashboard)
    , m_icon(context.clock)
{
    m_tray.setToolTip(QStringLiteral("Marrowvale"));
    m_tray.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, [this] { fillTrayMenu(m_menu, m_context.commands); });
    connect(&m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A quick second click arrives as a double click: it toggles again, as every click does.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            togglePanel(
                m_tray.geometry().isValid() ? std::optional(m_tray.geometry().center()) : QCursor::pos());
    });

    Commands& commands = m_context.commands;
    connect(&commands.openDashboard, &QAction::triggered, this,
        [this] { m_dashboard.openDashboard(DashboardSection::overview); });
    connect(&commands.openSettings, &QAction::triggered, this,
        [this] { m_dashboard.openDashboard(DashboardSection::settings); });
    connect(&m_shortcut, &GlobalShortcut::activated, this, &TrayShell::shortcutPressed);

    m_icon.onTick = [this] { updateStatusItem(); };
    // The aggregate carries the running job's progress, which the tooltip shows.
    connect(&m_context.status, &StatusBoard::aggregateChanged, this, &TrayShell::updateStatusItem);
    connect(&m_context.configuration, &ConfigurationStore::changed, this, &TrayShell::applySettings);
    // The icon first: a tray shows nothing for an item made visible without one.
    updateStatusItem();
    applySettings();
}

void TrayShell::updateStatusItem()
{
    const AggregateStatus status = m_context.status.aggregate();
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
    const AppSettings& settings = m_context.configuration.config().settings;
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
    if (!m_context.configuration.config().settings.showMenuBarIcon)
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
