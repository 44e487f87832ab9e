#pragma once

#include "ui/settings/SettingsTabPage.h"

#include <QList>

class QAbstractButton;

namespace mv {

struct ViewContext;
class ToggleSwitch;
class SettingsRow;

// How the program starts and shows itself: the login item, the tray icon, the dashboard at login, the
// appearance and the global shortcut, then the version and when backups run. The login item and the
// appearance go through AppState, which also acts on the system; the shell follows the rest.
class GeneralSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    explicit GeneralSettingsTab(ViewContext& context, QWidget* parent = nullptr);

    // Reads the settings and the login item again.
    void refresh();

    ToggleSwitch* launchAtLoginSwitch() const { return m_launchAtLogin; }
    ToggleSwitch* menuBarIconSwitch() const { return m_menuBarIcon; }
    ToggleSwitch* dashboardAtLoginSwitch() const { return m_dashboardAtLogin; }
    ToggleSwitch* globalShortcutSwitch() const { return m_globalShortcut; }
    // System, Light and Dark.
    const QList<QAbstractButton*>& appearanceButtons() const { return m_appearance; }
    SettingsRow* launchAtLoginRow() const { return m_launchAtLoginRow; }

private:
    ViewContext& m_context;
    ToggleSwitch* m_launchAtLogin;
    ToggleSwitch* m_menuBarIcon;
    ToggleSwitch* m_dashboardAtLogin;
    ToggleSwitch* m_globalShortcut;
    QList<QAbstractButton*> m_appearance;
    SettingsRow* m_launchAtLoginRow;
};

} // namespace mv
