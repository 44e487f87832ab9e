#include "ui/settings/NotificationSettingsTab.h"

#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/kit/ToggleSwitch.h"
#include "ui/models/settings/SettingBinding.h"
#include "ui/models/settings/SettingsTexts.h"
#include "ui/models/shared/ViewContext.h"

#include <array>

namespace mv {

namespace {

struct Flag {
    const char* title;
    bool AppSettings::*field;
};

constexpr std::array flags { Flag { "Backup completed", &AppSettings::notifySuccess },
    Flag { "Backup failed", &AppSettings::notifyFailure },
    Flag { "Destination unavailable", &AppSettings::notifyOffline },
    Flag { "Missed schedule", &AppSettings::notifyMissed } };

} // namespace

NotificationSettingsTab::NotificationSettingsTab(ViewContext& context, QWidget* parent)
    : SettingsTabPage(SettingsTexts::tabs().at(2), parent)
    , m_context(context)
{
    for (const Flag& flag : flags) {
        const QString title = QString::fromUtf8(flag.title);
        auto* toggle = new ToggleSwitch(ToggleSwitch::Kind::outlined, false, title, this);
        connect(toggle, &QAbstractButton::toggled, this, [&context, field = flag.field](bool on) {
            SettingBinding<bool>(context.configuration, context.clock, field).set(on);
        });
        addRow(title, std::nullopt, toggle);
        m_switches.append(toggle);
    }
    connect(&context.configuration, &ConfigurationStore::changed, this, &NotificationSettingsTab::refresh);
    refresh();
}

void NotificationSettingsTab::refresh()
{
    const AppSettings& settings = m_context.configuration.config().settings;
    for (qsizetype index = 0; index < m_switches.size(); ++index) {
        const QSignalBlocker quiet(m_switches.at(index));
        m_switches.at(index)->setChecked(settings.*flags.at(index).field);
    }
}

} // namespace mv
