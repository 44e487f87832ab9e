#pragma once

#include "ui/settings/SettingsTabPage.h"

#include <QList>

namespace mv {

struct ViewContext;
class ToggleSwitch;

// Which of the four kinds of desktop notification are posted. The page, not this tab, asks for permission
// when one turns on.
class NotificationSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    explicit NotificationSettingsTab(ViewContext& context, QWidget* parent = nullptr);

    void refresh();

    // Backup completed, Backup failed, Destination unavailable, Missed schedule.
    const QList<ToggleSwitch*>& switches() const { return m_switches; }

private:
    ViewContext& m_context;
    QList<ToggleSwitch*> m_switches;
};

} // namespace mv
