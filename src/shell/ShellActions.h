#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>

namespace mv {

// The shell's commands, each one QAction with a stable object name that menus, shortcuts and tests share:
// open the dashboard, run all jobs, pause all, the settings, the update check and quit. Their owner
// connects what each does.
class ShellActions : public QObject {
    Q_OBJECT
public:
    explicit ShellActions(QObject* parent = nullptr);

    QAction openDashboard;
    QAction runAll;
    QAction pauseAll;
    QAction openSettings;
    QAction checkForUpdates;
    QAction quit;
};

// What the tray menu's enabled states follow.
struct TrayMenuState {
    int enabledJobCount = 0; // enabled jobs with an enabled destination
    bool anyActiveRun = false;
};

// The tray's right-click menu, built afresh each time it opens: Open Dashboard, Run All Jobs, Pause All,
// Settings…, Check for Updates… and Quit Marrowvale, with separators between the groups. "Run All Jobs"
// is enabled while some job can run, "Pause All" while a run is active.
void fillTrayMenu(QMenu& menu, ShellActions& actions, const TrayMenuState& state);

} // namespace mv
