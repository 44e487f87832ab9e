#include "ui/models/settings/SettingsTexts.h"

#include <QSysInfo>

namespace mv::SettingsTexts {

QList<SettingsTab> tabs()
{
    return {
        { QStringLiteral("General"), QStringLiteral("gearshape"), QStringLiteral("general"),
            QStringLiteral("General"), QStringLiteral("How Marrowvale starts and where it lives.") },
        { QStringLiteral("Backup"), QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("backup"),
            QStringLiteral("Backup"),
            QStringLiteral("Defaults apply to new jobs. Each destination can override the mode.") },
        { QStringLiteral("Alerts"), QStringLiteral("bell"), QStringLiteral("alerts"),
            QStringLiteral("Notifications"),
            QStringLiteral("Native %1 notifications. Routine short copies stay quiet.")
                .arg(QSysInfo::prettyProductName()) },
        { QStringLiteral("Google"), QStringLiteral("cloud"), QStringLiteral("google"),
            QStringLiteral("Google Drive"),
            QStringLiteral(
                "Direct Google Drive API. Marrowvale can only see folders and files it creates.") },
        { QStringLiteral("Advanced"), QStringLiteral("wrench.and.screwdriver"), QStringLiteral("advanced"),
            QStringLiteral("Advanced"),
            QStringLiteral("Marrowvale uses rsync 3 with explicit arguments, never a shell string.") },
    };
}

QString initialTab()
{
    if (qEnvironmentVariableIsSet("MARROWVALE_DEBUG_SETTINGS_TAB"))
        return qEnvironmentVariable("MARROWVALE_DEBUG_SETTINGS_TAB");
    return QStringLiteral("general");
}

// The autostart entry is either there or not: approval and a missing program do not arise here.
QString launchAtLoginDetail(bool registered)
{
    return QStringLiteral("Runs the menu bar app when you sign in. ")
        + (registered ? QStringLiteral("On") : QStringLiteral("Off"));
}

QString versionLine(const QString& applicationVersion)
{
    return QStringLiteral("Marrowvale ")
        + (applicationVersion.isEmpty() ? QStringLiteral("1.0") : applicationVersion);
}

QString googleClientDetail(bool isConfigured, const QString& clientID)
{
    if (!isConfigured)
        return QStringLiteral(
            "Not configured. Add ~/Documents/Marrowvale/google-oauth-client.json or import the JSON.");
    return QStringLiteral("Configured · …") + clientID.right(24);
}

QString rsyncPathText(const std::optional<QString>& executable)
{
    return executable.value_or(QStringLiteral("Not found. Install rsync with your package manager."));
}

QList<std::pair<QString, BackupMode>> modeOptions()
{
    return { { QStringLiteral("Incremental copy"), BackupMode::incremental },
        { QStringLiteral("Mirror"), BackupMode::mirror },
        { QStringLiteral("Versioned"), BackupMode::versioned } };
}

QList<std::pair<QString, qint64>> bandwidthOptions()
{
    return { { QStringLiteral("Off"), 0 }, { QStringLiteral("1 MB/s"), 1024 },
        { QStringLiteral("5 MB/s"), 5120 }, { QStringLiteral("10 MB/s"), 10240 },
        { QStringLiteral("25 MB/s"), 25600 } };
}

QList<std::pair<QString, qint64>> retentionOptions()
{
    return { { QStringLiteral("30 days"), 30 }, { QStringLiteral("90 days"), 90 },
        { QStringLiteral("180 days"), 180 }, { QStringLiteral("1 year"), 365 } };
}

} // namespace mv::SettingsTexts
