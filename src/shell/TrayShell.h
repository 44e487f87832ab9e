#pragma once

#include "model/AggregateStatus.h"
#include "shell/GlobalShortcut.h"
#include "shell/MenuBarIconController.h"
#include "shell/ShellPresenters.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <optional>

namespace mv {

struct ViewContext;

// The tray half of the shell: the icon with its glyph and tooltip following the overall status, the
// right-click menu rebuilt each time it opens, a left click that toggles the panel, and the settings that
// shape it (the icon shown or not, the global shortcut). The menu holds the program's commands; the owner
// connects what quitting and the update check do.
class TrayShell : public QObject {
    Q_OBJECT
public:
    TrayShell(ViewContext& context, PanelPresenter& panel, DashboardPresenter& dashboard,
        QObject* parent = nullptr);

    QSystemTrayIcon& trayIcon() { return m_tray; }
    // Refreshes the glyph and tooltip from the overall status, noting a run's end.
    void updateStatusItem();
    // Applies the icon's visibility and the global shortcut from the settings.
    void applySettings();
    // A left click's action.
    void togglePanel(std::optional<QPoint> anchor = std::nullopt);
    // The global shortcut's action: it hides a shown panel whoever is active (showing the panel made the
    // program active), and shows it only from another program, not over one of our own windows.
    void shortcutPressed();

private:
    ViewContext& m_context;
    PanelPresenter& m_panel;
    DashboardPresenter& m_dashboard;
    MenuBarIconController m_icon;
    QSystemTrayIcon m_tray;
    QMenu m_menu;
    GlobalShortcut m_shortcut;
    std::optional<AggregateStatus> m_lastAggregate;
};

} // namespace mv
