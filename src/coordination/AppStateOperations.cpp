#include "coordination/AppState.h"

#include "coordination/CoordinationLog.h"
#include "coordination/LoginItemService.h"
#include "model/ConfigurationStore.h"
#include "model/EffectiveValues.h"
#include "model/FileSystemError.h"
#include "model/KeychainService.h"
#include "model/UuidText.h"
#include "platform/WhenFinished.h"

#include <QTimeZone>

namespace mv {

void AppState::deleteJob(const BackupJob& job)
{
    for (const BackupDestination& destination : job.destinations)
        m_coordinator.cancel(job.id, destination.id);
    m_store.deleteJob(job.id);
    for (const BackupDestination& destination : job.destinations) {
        // A passphrase left behind would outlive its destination unseen: say so where it can be found.
        if (!KeychainService::deletePassphrase(destination.id))
            qCWarning(coordinationLog).noquote() << "The SSH passphrase of" << uuidText(destination.id)
                                                 << "could not be removed from the keyring";
    }
    refreshHistory();
}

void AppState::toggleJob(const BackupJob& job)
{
    std::optional<BackupJob> stored = m_store.job(job.id);
    if (!stored)
        return;
    stored->isEnabled = !stored->isEnabled;
    m_store.replaceJob(*stored);
    // Turned off, a job keeps its destinations' next runs; turned on, they are due from now.
    if (!job.isEnabled)
        scheduleNextRuns(job);
}

void AppState::duplicateJob(const BackupJob& job)
{
    if (const std::optional<BackupJob> copy = m_store.duplicateJob(job.id))
        scheduleNextRuns(*copy);
}

void AppState::scheduleNextRuns(const BackupJob& job)
{
    const QDateTime now = m_clock.now();
    for (const BackupDestination& destination : job.destinations) {
        const BackupSchedule& schedule = effectiveSchedule(job, destination);
        if (schedule.kind == ScheduleKind::manual)
            continue;
        const std::optional<QDateTime> next = schedule.nextRun(now, QTimeZone::systemTimeZone());
        m_store.updateDestination(
            job.id, destination.id, [&next](BackupDestination& changed) { changed.nextRun = next; });
    }
}

// The rows are read and written out on the history's own thread; the file is shown once it is there.
void AppState::exportHistory()
{
    whenFinished(m_history->exportCSVFileAsync(), this, [this](QFuture<QString> written) {
        exportFile(
            [&written] { return written.result(); }, QStringLiteral("The history could not be exported: "));
    });
}

void AppState::exportConfiguration()
{
    exportFile([this] { return m_store.exportConfiguration(); },
        QStringLiteral("The configuration could not be exported: "));
}

void AppState::exportFile(const std::function<QString()>& write, const QString& failurePrefix)
{
    try {
        m_fileManager.reveal(write());
    } catch (const FileSystemError& error) {
        setBanner(failurePrefix + error.description());
    }
}

void AppState::changeSettings(const std::function<void(AppSettings&)>& change)
{
    AppConfiguration config = m_store.config();
    change(config.settings);
    config.updatedAt = m_clock.now();
    m_store.setConfig(config);
    m_store.scheduleSave();
}

void AppState::setAppearance(AppearancePreference preference)
{
    changeSettings([preference](AppSettings& settings) { settings.appearance = preference; });
    applyAppearance();
}

void AppState::applyAppearance()
{
    Q_EMIT appearanceChanged(m_store.config().settings.appearance);
}

// The autostart entry is the login item; nothing on this platform asks for approval, so the setting
// follows what the entry is after each change.
void AppState::setLaunchAtLogin(bool enabled)
{
    const std::optional<QString> failure = LoginItemService::setEnabled(enabled);
    if (failure)
        setBanner(*failure);
    const bool registered = failure ? LoginItemService::isEnabled() : enabled;
    changeSettings([registered](AppSettings& settings) { settings.launchAtLogin = registered; });
}

void AppState::refreshLoginItemState()
{
    const bool registered = LoginItemService::isEnabled();
    if (registered != m_store.config().settings.launchAtLogin)
        changeSettings([registered](AppSettings& settings) { settings.launchAtLogin = registered; });
}

} // namespace mv
