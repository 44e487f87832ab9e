#pragma once

#include "model/AppSettings.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace mv {

// One tab of the settings page: its label and symbol, its tag, and the heading of its group.
struct SettingsTab {
    QString label;
    QString symbol;
    QString tag;
    QString title;
    QString subtitle;
};

// The texts of the settings page that the views share and the tests read.
namespace SettingsTexts {

// General, Backup, Alerts, Google and Advanced, in that order.
QList<SettingsTab> tabs();
// MARROWVALE_DEBUG_SETTINGS_TAB as it stands when set (even empty), otherwise "general".
QString initialTab();

// The "Launch at login" detail: the sentence followed by "On" or "Off".
QString launchAtLoginDetail(bool registered);
// "Marrowvale " and the program's version, "1.0" when it has none.
QString versionLine(const QString& applicationVersion);

// The OAuth client row's detail: the not-configured sentence, or "Configured · …" and the identifier's last
// 24 characters.
QString googleClientDetail(bool isConfigured, const QString& clientID);

// The rsync row's detail: the executable's path, or what to do when there is none.
QString rsyncPathText(const std::optional<QString>& executable);
inline constexpr char rsyncNotDetected[] = "Not detected";

// The pickers' options, each a title and its stored value, in the order offered.
QList<std::pair<QString, BackupMode>> modeOptions();
QList<std::pair<QString, qint64>> bandwidthOptions();
QList<std::pair<QString, qint64>> retentionOptions();

} // namespace SettingsTexts

} // namespace mv
