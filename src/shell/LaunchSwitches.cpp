#include "shell/LaunchSwitches.h"

#include "platform/EnvironmentSwitch.h"

#include <QRegularExpression>

#include <cmath>

namespace mv {

std::optional<std::chrono::milliseconds> delayFromText(const QString& text)
{
    // A plain decimal literal only: toDouble alone would also take "inf", "nan" and hexadecimal forms.
    static const QRegularExpression decimal(QStringLiteral(R"(^[+]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds > 86'400.0 * 365)
        return std::nullopt;
    return std::chrono::milliseconds(qRound64(seconds * 1000));
}

LaunchSwitches LaunchSwitches::fromEnvironment()
{
    LaunchSwitches switches;
    switches.showPanel = environmentSwitch("MARROWVALE_SHOW_PANEL");
    switches.debugDashboard = environmentSwitch("MARROWVALE_DEBUG_DASHBOARD");
    if (qEnvironmentVariableIsSet("MARROWVALE_DEBUG_SECTION"))
        switches.debugSection = dashboardSection(qEnvironmentVariable("MARROWVALE_DEBUG_SECTION"))
                                    .value_or(DashboardSection::overview);
    switches.debugEditor = environmentSwitch("MARROWVALE_DEBUG_EDITOR");
    switches.debugRun = environmentSwitch("MARROWVALE_DEBUG_RUN") && environmentSwitch("MARROWVALE_DEMO");
    if (qEnvironmentVariableIsSet("MARROWVALE_DEBUG_SHOW_PANEL"))
        switches.debugShowPanelAfter = delayFromText(qEnvironmentVariable("MARROWVALE_DEBUG_SHOW_PANEL"));
    switches.googleSignIn = environmentSwitch("MARROWVALE_GOOGLE_SIGN_IN");
    switches.googleAutoRun = environmentSwitch("MARROWVALE_GOOGLE_AUTO_RUN");
    return switches;
}

} // namespace mv
