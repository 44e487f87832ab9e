#include "ui/models/settings/NotificationPermissionWatch.h"

#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "ui/models/shared/ViewContext.h"

#include <array>

namespace mv {

NotificationPermissionWatch::NotificationPermissionWatch(ViewContext& context, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_seen(context.configuration.config().settings)
{
    connect(
        &context.configuration, &ConfigurationStore::changed, this, &NotificationPermissionWatch::compare);
}

void NotificationPermissionWatch::compare()
{
    static constexpr std::array flags { &AppSettings::notifySuccess, &AppSettings::notifyFailure,
        &AppSettings::notifyOffline, &AppSettings::notifyMissed };
    const AppSettings now = m_context.configuration.config().settings;
    for (bool AppSettings::*flag : flags)
        if (now.*flag && !(m_seen.*flag))
            m_context.requests.requestNotificationAuthorization();
    m_seen = now;
}

} // namespace mv
