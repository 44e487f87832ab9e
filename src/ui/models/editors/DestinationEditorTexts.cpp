#include "ui/models/editors/DestinationEditorTexts.h"

#include "ui/models/dashboard/DashboardTexts.h"

namespace mv::DestinationEditorTexts {

QString kindHelp(DestinationKind kind)
{
    switch (kind) {
    case DestinationKind::local:
        return QStringLiteral("Local or external drive");
    case DestinationKind::network:
        return QStringLiteral("Mounted network share");
    case DestinationKind::ssh:
        return QStringLiteral("SSH server");
    case DestinationKind::googleDrive:
        return QStringLiteral("Google Drive");
    }
    return {};
}

QString folderLabel(DestinationKind kind)
{
    return kind == DestinationKind::network ? QStringLiteral("Mounted share folder")
                                            : QStringLiteral("Destination folder");
}

QString headerTitle(bool isNew)
{
    return isNew ? QStringLiteral("Add Destination") : QStringLiteral("Edit Destination");
}

QString headerSubtitle(const QString& name)
{
    return name.isEmpty() ? QStringLiteral("Where should the copies live?") : name;
}

QString footerHint(DestinationKind kind)
{
    return kind == DestinationKind::ssh
        ? QStringLiteral("Host key checking is always on. Save after a successful test.")
        : QStringLiteral("The folder must be on a mounted volume.");
}

QString followScheduleDetail(const BackupSchedule& jobSchedule)
{
    return QStringLiteral("This destination runs on the job schedule (") + jobSchedule.summary()
        + QStringLiteral("). Turn this off to set one here.");
}

QList<PickerEntry<BackupMode>> modeEntries(BackupMode defaultMode)
{
    return {
        { QStringLiteral("Use job mode (") + modeLabel(defaultMode) + u')', std::nullopt },
        { QStringLiteral("Incremental copy"), BackupMode::incremental },
        { QStringLiteral("Mirror"), BackupMode::mirror },
        { QStringLiteral("Versioned"), BackupMode::versioned },
    };
}

QList<PickerEntry<qint64>> retryEntries(qint64 defaultAttempts)
{
    QList<PickerEntry<qint64>> entries {
        { QStringLiteral("Use default (") + QString::number(defaultAttempts) + u')', std::nullopt },
        { QStringLiteral("No retries"), 0 },
    };
    for (qint64 count = 1; count <= 5; ++count)
        entries.append({ QString::number(count), count });
    return entries;
}

} // namespace mv::DestinationEditorTexts
