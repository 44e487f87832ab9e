#include "coordination/AppState.h"

namespace mv {

const HistoryStats& AppState::historyStats() const
{
    return m_historyFeed.stats();
}
const std::vector<BackupRunRecord>& AppState::recentRuns() const
{
    return m_historyFeed.recentRuns();
}
const std::optional<QString>& AppState::banner() const
{
    return m_requests.banner();
}
void AppState::setBanner(std::optional<QString> banner)
{
    m_requests.setBanner(std::move(banner));
}
const std::optional<BackupJob>& AppState::pendingDeletion() const
{
    return m_jobActions.pendingDeletion();
}
void AppState::setPendingDeletion(std::optional<BackupJob> job)
{
    m_jobActions.setPendingDeletion(std::move(job));
}
QCoro::Task<> AppState::runJob(BackupJob job)
{
    return m_jobActions.runJob(std::move(job));
}
QCoro::Task<> AppState::requestRun(BackupJob job, BackupDestination destination)
{
    return m_jobActions.requestRun(std::move(job), std::move(destination));
}
void AppState::confirmMirrorRun()
{
    m_jobActions.confirmMirrorRun();
}
const std::optional<MirrorPrompt>& AppState::mirrorPrompt() const
{
    return m_jobActions.mirrorPrompt();
}
void AppState::setMirrorPrompt(std::optional<MirrorPrompt> prompt)
{
    m_jobActions.setMirrorPrompt(std::move(prompt));
}
bool AppState::mirrorCheckInProgress() const
{
    return m_jobActions.mirrorCheckInProgress();
}
void AppState::deleteJob(const BackupJob& job)
{
    m_jobActions.deleteJob(job);
}
void AppState::toggleJob(const BackupJob& job)
{
    m_jobActions.toggleJob(job);
}
void AppState::duplicateJob(const BackupJob& job)
{
    m_jobActions.duplicateJob(job);
}
void AppState::exportHistory()
{
    m_historyFeed.exportHistory();
}
void AppState::exportConfiguration()
{
    m_requests.exportConfiguration();
}
void AppState::setAppearance(AppearancePreference preference)
{
    m_requests.setAppearance(preference);
}
void AppState::applyAppearance()
{
    m_requests.applyAppearance();
}
void AppState::setLaunchAtLogin(bool enabled)
{
    m_requests.setLaunchAtLogin(enabled);
}
void AppState::refreshLoginItemState()
{
    m_requests.refreshLoginItemState();
}
void AppState::requestNavigation(const NavigationRequest& request)
{
    m_requests.requestNavigation(request);
}
QList<NavigationRequest> AppState::takePendingNavigation()
{
    return m_requests.takePendingNavigation();
}

} // namespace mv
