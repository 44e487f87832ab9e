#include "ui/settings/GeneralSettingsTab.h"

#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/ToggleSwitch.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/settings/SettingBinding.h"
#include "ui/models/settings/SettingsTexts.h"
#include "ui/models/shared/ViewContext.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

namespace mv {

namespace {

ToggleSwitch* boundSwitch(
    ViewContext& context, const QString& name, bool AppSettings::*field, QWidget* parent)
{
    auto* toggle = new ToggleSwitch(ToggleSwitch::Kind::outlined, false, name, parent);
    QObject::connect(toggle, &QAbstractButton::toggled, parent, [&context, field](bool on) {
        SettingBinding<bool>(context.configuration, context.clock, field).set(on);
    });
    return toggle;
}

} // namespace

GeneralSettingsTab::GeneralSettingsTab(ViewContext& context, QWidget* parent)
    : SettingsTabPage(SettingsTexts::tabs().at(0), parent)
    , m_context(context)
    , m_launchAtLogin(
          new ToggleSwitch(ToggleSwitch::Kind::outlined, false, QStringLiteral("Launch at login"), this))
    , m_menuBarIcon(
          boundSwitch(context, QStringLiteral("Show menu bar icon"), &AppSettings::showMenuBarIcon, this))
    , m_dashboardAtLogin(boundSwitch(
          context, QStringLiteral("Open dashboard at login"), &AppSettings::openDashboardAtLogin, this))
    , m_globalShortcut(
          boundSwitch(context, QStringLiteral("Global shortcut"), &AppSettings::globalShortcutEnabled, this))
{
    connect(m_launchAtLogin, &QAbstractButton::toggled, this,
        [this](bool on) { m_context.requests.setLaunchAtLogin(on); });

    auto* appearance = new QWidget(this);
    appearance->setFixedWidth(190);
    auto* segments = new QHBoxLayout(appearance);
    segments->setContentsMargins(0, 0, 0, 0);
    segments->setSpacing(0);
    auto* group = new QButtonGroup(appearance);
    const QList<std::pair<QString, AppearancePreference>> choices { { QStringLiteral("System"),
                                                                        AppearancePreference::system },
        { QStringLiteral("Light"), AppearancePreference::light },
        { QStringLiteral("Dark"), AppearancePreference::dark } };
    for (const auto& [title, preference] : choices) {
        auto* segment = new QPushButton(title, appearance);
        segment->setCheckable(true);
        group->addButton(segment);
        segments->addWidget(segment, 1);
        m_appearance.append(segment);
        connect(segment, &QAbstractButton::clicked, this,
            [this, preference] { m_context.requests.setAppearance(preference); });
    }

    m_launchAtLoginRow = addRow(QStringLiteral("Launch at login"), QString(), m_launchAtLogin);
    addRow(QStringLiteral("Show menu bar icon"),
        QStringLiteral("When hidden, Marrowvale shows a taskbar icon so you can still open it."),
        m_menuBarIcon);
    addRow(QStringLiteral("Open dashboard at login"),
        QStringLiteral("The menu bar panel is the normal way to use Marrowvale."), m_dashboardAtLogin);
    addRow(QStringLiteral("Appearance"),
        QStringLiteral("Both appearances are designed separately. System follows %1.")
            .arg(QSysInfo::prettyProductName()),
        appearance);
    addRow(QStringLiteral("Global shortcut"),
        QStringLiteral("Ctrl+Alt+Super+B opens the panel from any app. Works on X11 desktops."),
        m_globalShortcut);

    auto* about = new QWidget(this);
    auto* lines = new QVBoxLayout(about);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(4);
    lines->addWidget(new TextLabel(SettingsTexts::versionLine(QCoreApplication::applicationVersion()),
        kitFont(13, QFont::Medium), Palette::labelSecondary, about));
    auto* note
        = new TextLabel(QStringLiteral("Backups run while the app is running and the computer is awake. "
                                       "Nothing runs while the computer is asleep or off."),
            kitFont(12), Palette::labelTertiary, about);
    note->setWordWrap(true);
    lines->addWidget(note);
    addBelow(about);

    connect(&context.configuration, &ConfigurationStore::changed, this, &GeneralSettingsTab::refresh);
    refresh();
}

void GeneralSettingsTab::refresh()
{
    const AppSettings& settings = m_context.configuration.config().settings;
    const std::pair<ToggleSwitch*, bool> switches[] { { m_launchAtLogin, settings.launchAtLogin },
        { m_menuBarIcon, settings.showMenuBarIcon }, { m_dashboardAtLogin, settings.openDashboardAtLogin },
        { m_globalShortcut, settings.globalShortcutEnabled } };
    for (const auto& [toggle, on] : switches) {
        const QSignalBlocker quiet(toggle);
        toggle->setChecked(on);
    }
    m_appearance.at(int(settings.appearance))->setChecked(true);
    m_launchAtLoginRow->detailLabel()->setText(
        SettingsTexts::launchAtLoginDetail(m_context.requests.loginItemRegistered()));
}

} // namespace mv
