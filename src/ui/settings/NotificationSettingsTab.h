#pragma once

#include "ui/settings/SettingsTabPage.h"

#include <QList>

namespace mv {

class AppState;
class ToggleSwitch;

// Which of the four kinds of desktop notification are posted. The page, not this tab, asks for permission
// when one turns on.
class NotificationSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    explicit NotificationSettingsTab(AppState& app, QWidget* parent = nullptr);

    void refresh();

    // Backup completed, Backup failed, Destination unavailable, Missed schedule.
    const QList<ToggleSwitch*>& switches() const { return m_switches; }

private:
    AppState& m_app;
    QList<ToggleSwitch*> m_switches;
};

} // namespace mv
