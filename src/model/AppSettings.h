#pragma once

#include "model/Enumerations.h"

#include <QString>

#include <optional>

namespace mv {

// The global settings. Defaults are those of a new document and of absent keys; values are kept as read,
// and each user applies its own bounds.
struct AppSettings {
    bool launchAtLogin = false;
    bool showMenuBarIcon = true;
    AppearancePreference appearance = AppearancePreference::system;
    bool openDashboardAtLogin = false;
    BackupMode defaultMode = BackupMode::incremental;
    qint64 maxConcurrentJobs = 2;
    std::optional<qint64> bandwidthLimitKBps; // only a value above 0 limits
    qint64 retryAttempts = 3;
    qint64 retryDelaySeconds = 30;
    qint64 historyRetentionDays = 90;
    bool notifySuccess = true;
    bool notifyFailure = true;
    bool notifyOffline = true;
    bool notifyMissed = true;
    QString rsyncPath;
    QString googleClientID;
    bool globalShortcutEnabled = false;

    bool operator==(const AppSettings&) const = default;
};

} // namespace mv
