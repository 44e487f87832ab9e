#include "ui/models/NotificationPermissionWatch.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"

#include <array>

namespace mv {

NotificationPermissionWatch::NotificationPermissionWatch(AppState& app, QObject* parent)
    : QObject(parent)
    , m_app(app)
    , m_seen(app.store().config().settings)
{
    connect(&app.store(), &ConfigurationStore::changed, this, &NotificationPermissionWatch::compare);
}

void NotificationPermissionWatch::compare()
{
    static constexpr std::array flags { &AppSettings::notifySuccess, &AppSettings::notifyFailure,
        &AppSettings::notifyOffline, &AppSettings::notifyMissed };
    const AppSettings now = m_app.store().config().settings;
    for (bool AppSettings::*flag : flags)
        if (now.*flag && !(m_seen.*flag))
            m_app.notifications().requestAuthorization();
    m_seen = now;
}

} // namespace mv
