#include "coordination/ProgramRequests.h"

#include "coordination/LoginItemService.h"
#include "coordination/NotificationService.h"
#include "model/ConfigurationStore.h"
#include "model/FileSystemError.h"
#include "platform/Clock.h"
#include "platform/FileManager.h"

#include <QMetaMethod>

namespace mv {

ProgramRequests::ProgramRequests(ConfigurationStore& store, NotificationService& notifications,
    FileManager& fileManager, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_notifications(notifications)
    , m_fileManager(fileManager)
    , m_clock(clock)
{
}

void ProgramRequests::setBanner(std::optional<QString> banner)
{
    if (!banner && !m_waitingBanners.isEmpty())
        banner = m_waitingBanners.takeFirst();
    if (banner == m_banner)
        return;
    m_banner = std::move(banner);
    Q_EMIT bannerChanged();
}

void ProgramRequests::tellProblem(const QString& message)
{
    if (m_banner == message || m_waitingBanners.contains(message))
        return;
    if (m_banner)
        m_waitingBanners.append(message);
    else
        setBanner(message);
}

void ProgramRequests::requestNavigation(const NavigationRequest& request)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&ProgramRequests::navigationRequested)))
        Q_EMIT navigationRequested(request);
    else
        m_pendingNavigation.append(request);
}

QList<NavigationRequest> ProgramRequests::takePendingNavigation()
{
    return std::exchange(m_pendingNavigation, {});
}

void ProgramRequests::changeSettings(const std::function<void(AppSettings&)>& change)
{
    AppConfiguration config = m_store.config();
    change(config.settings);
    config.updatedAt = m_clock.now();
    m_store.setConfig(config);
    m_store.scheduleSave();
}

void ProgramRequests::setAppearance(AppearancePreference preference)
{
    changeSettings([preference](AppSettings& settings) { settings.appearance = preference; });
    applyAppearance();
}

void ProgramRequests::applyAppearance()
{
    Q_EMIT appearanceChanged(m_store.config().settings.appearance);
}

// The autostart entry is the login item; nothing on this platform asks for approval, so the setting
// follows what the entry is after each change.
void ProgramRequests::setLaunchAtLogin(bool enabled)
{
    const std::optional<QString> failure = LoginItemService::setEnabled(enabled);
    if (failure)
        setBanner(*failure);
    const bool registered = failure ? LoginItemService::isEnabled() : enabled;
    changeSettings([registered](AppSettings& settings) { settings.launchAtLogin = registered; });
}

void ProgramRequests::refreshLoginItemState()
{
    const bool registered = LoginItemService::isEnabled();
    if (registered != m_store.config().settings.launchAtLogin)
        changeSettings([registered](AppSettings& settings) { settings.launchAtLogin = registered; });
}

bool ProgramRequests::loginItemRegistered() const
{
    return LoginItemService::isEnabled();
}

void ProgramRequests::exportConfiguration()
{
    try {
        m_fileManager.reveal(m_store.exportConfiguration());
    } catch (const FileSystemError& error) {
        setBanner(QStringLiteral("The configuration could not be exported: ") + error.description());
    }
}

void ProgramRequests::requestNotificationAuthorization()
{
    m_notifications.requestAuthorization();
}

} // namespace mv
