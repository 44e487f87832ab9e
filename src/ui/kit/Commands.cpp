#include "ui/kit/Commands.h"

#include "coordination/JobActions.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/StatusBoard.h"

namespace mv {

namespace {

void define(QAction& action, const char* name, const QString& text, const QKeySequence& shortcut = {})
{
    action.setObjectName(QString::fromLatin1(name));
    action.setText(text);
    action.setShortcut(shortcut);
}

} // namespace

Commands::Commands(StatusBoard& status, ActiveRunsModel& runs, JobActions& jobs, QObject* parent)
    : QObject(parent)
    , m_status(status)
    , m_runs(runs)
{
    define(openDashboard, "openDashboard", QStringLiteral("Open Dashboard"),
        QKeySequence(QStringLiteral("Ctrl+D")));
    define(runAll, "runAll", QStringLiteral("Run All Jobs"), QKeySequence(QStringLiteral("Ctrl+R")));
    define(pauseAll, "pauseAll", QStringLiteral("Pause All"));
    define(openSettings, "openSettings", QStringLiteral("Settings\u2026"),
        QKeySequence(QStringLiteral("Ctrl+,")));
    define(checkForUpdates, "checkForUpdates", QStringLiteral("Check for Updates\u2026"));
    define(quit, "quit", QStringLiteral("Quit Marrowvale"), QKeySequence(QStringLiteral("Ctrl+Q")));

    connect(&runAll, &QAction::triggered, &jobs, [&jobs] { jobs.runAll(); });
    connect(&pauseAll, &QAction::triggered, &jobs, [&jobs] { jobs.pauseAll(); });
    connect(&m_status, &StatusBoard::summaryChanged, this, &Commands::updateEnablement);
    connect(&m_runs, &ActiveRunsModel::runAdded, this, &Commands::updateEnablement);
    connect(&m_runs, &ActiveRunsModel::runStateChanged, this, &Commands::updateEnablement);
    connect(&m_runs, &ActiveRunsModel::runRemoved, this, &Commands::updateEnablement);
    updateEnablement();
}

// Enabled by whether anything could run: a command offered only while runs are going would never let a
// person start the first one.
void Commands::updateEnablement()
{
    runAll.setEnabled(m_status.summary().enabledJobCount > 0);
    pauseAll.setEnabled(!m_runs.liveRuns().isEmpty());
}

} // namespace mv
