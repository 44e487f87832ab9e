#pragma once

#include "ui/models/dashboard/DashboardSection.h"

#include <QString>

#include <chrono>
#include <optional>

namespace mv {

// What the environment asks of a launch: the first-run panel, the debugging hooks and the Google sign-in.
// A switch is on only when its value is exactly "1".
struct LaunchSwitches {
    bool showPanel = false; // MARROWVALE_SHOW_PANEL
    bool debugDashboard = false; // MARROWVALE_DEBUG_DASHBOARD
    DashboardSection debugSection = DashboardSection::overview; // MARROWVALE_DEBUG_SECTION, else the overview
    bool debugEditor = false; // MARROWVALE_DEBUG_EDITOR
    bool debugRun = false; // MARROWVALE_DEBUG_RUN, only together with MARROWVALE_DEMO
    std::optional<std::chrono::milliseconds> debugShowPanelAfter; // MARROWVALE_DEBUG_SHOW_PANEL, in seconds
    bool googleSignIn = false; // MARROWVALE_GOOGLE_SIGN_IN
    bool googleAutoRun = false; // MARROWVALE_GOOGLE_AUTO_RUN

    static LaunchSwitches fromEnvironment();
};

// A delay in seconds written as a whole decimal number ("3", "0.5"): nothing for blanks around it, a unit
// after it, or a value that is not a finite number of seconds from zero on.
std::optional<std::chrono::milliseconds> delayFromText(const QString& text);

} // namespace mv
