#pragma once

#include <QAction>
#include <QObject>

namespace mv {

class ActiveRunsModel;
class JobActions;
class StatusBoard;

// Every command of the program as a whole, each one QAction with a stable object name that menus, buttons,
// shortcuts and tests share: open the dashboard, run all jobs, pause all, the settings, the update check and
// quit. "Run All Jobs" is enabled while some job can run, "Pause All" while a run is live; the two act
// through the job actions. The shell connects what the others do.
class Commands : public QObject {
    Q_OBJECT
public:
    Commands(StatusBoard& status, ActiveRunsModel& runs, JobActions& jobs, QObject* parent = nullptr);

    QAction openDashboard;
    QAction runAll;
    QAction pauseAll;
    QAction openSettings;
    QAction checkForUpdates;
    QAction quit;

private:
    void updateEnablement();

    StatusBoard& m_status;
    ActiveRunsModel& m_runs;
};

} // namespace mv
