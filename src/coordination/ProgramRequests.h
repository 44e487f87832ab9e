#pragma once

#include "coordination/NavigationRequest.h"
#include "model/Enumerations.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <optional>

namespace mv {

class Clock;
class ConfigurationStore;
class FileManager;
class NotificationService;
struct AppSettings;

// What the views ask of the program as a whole: a banner, a move to another window or page, the appearance,
// the login item, the configuration's export, the desktop's permission to notify. Lives on the main thread.
class ProgramRequests : public QObject {
    Q_OBJECT
public:
    ProgramRequests(ConfigurationStore& store, NotificationService& notifications, FileManager& fileManager,
        Clock& clock, QObject* parent = nullptr);

    const std::optional<QString>& banner() const { return m_banner; }
    // Replaces the banner. Clearing it shows the next problem still waiting, if any.
    void setBanner(std::optional<QString> banner);
    // Shows a problem in the banner, or after the banners already waiting, so that none replaces another.
    void tellProblem(const QString& message);

    // Navigation asked for by a view. Kept until the shell takes it when nobody listens yet.
    void requestNavigation(const NavigationRequest& request);
    QList<NavigationRequest> takePendingNavigation();

    void setAppearance(AppearancePreference preference);
    // Tells the views the stored appearance (appearanceChanged()); they paint with it.
    void applyAppearance();
    void setLaunchAtLogin(bool enabled);
    // Follows a login item added or removed outside the program.
    void refreshLoginItemState();
    // Whether the login item is there now, whatever the setting says.
    bool loginItemRegistered() const;
    // Writes the export into the support folder and shows it in the file manager; a failure sets the banner.
    void exportConfiguration();
    void requestNotificationAuthorization();

Q_SIGNALS:
    void bannerChanged();
    void navigationRequested(const NavigationRequest& request);
    void appearanceChanged(AppearancePreference preference);

private:
    void changeSettings(const std::function<void(AppSettings&)>& change);

    ConfigurationStore& m_store;
    NotificationService& m_notifications;
    FileManager& m_fileManager;
    Clock& m_clock;
    std::optional<QString> m_banner;
    QStringList m_waitingBanners;
    QList<NavigationRequest> m_pendingNavigation;
};

} // namespace mv
