#include "ui/models/editors/JobEditorPresentation.h"

#include "model/Format.h"

namespace mv {

QString modeRowTitle(BackupMode mode)
{
    switch (mode) {
    case BackupMode::incremental:
        return QStringLiteral("Incremental copy");
    case BackupMode::mirror:
        return QStringLiteral("Mirror");
    case BackupMode::versioned:
        return QStringLiteral("Versioned");
    }
    return {};
}

QString modeDescription(BackupMode mode)
{
    switch (mode) {
    case BackupMode::incremental:
        return QStringLiteral("Copies new and changed files. Nothing at the destination is ever deleted.");
    case BackupMode::mirror:
        return QStringLiteral(
            "Makes the destination match the source. Extra files at the destination are deleted.");
    case BackupMode::versioned:
        return QStringLiteral("Keeps dated snapshots so earlier versions can be restored. Old snapshots are "
                              "pruned by retention.");
    }
    return {};
}

QString exclusionTitle(BuiltInExclusion exclusion)
{
    switch (exclusion) {
    case BuiltInExclusion::finderMetadata:
        return QStringLiteral("File manager metadata (.DS_Store)");
    case BuiltInExclusion::git:
        return QStringLiteral("Git repositories (.git)");
    case BuiltInExclusion::nodeModules:
        return QStringLiteral("node_modules");
    case BuiltInExclusion::temporaryFiles:
        return QStringLiteral("Temporary files (*.tmp)");
    case BuiltInExclusion::trash:
        return QStringLiteral("Trash");
    case BuiltInExclusion::caches:
        return QStringLiteral("Library caches");
    }
    return {};
}

qint64 exclusionCount(const TransferOptions& options)
{
    return qint64(options.builtInExclusions.size()) + options.customExclusions.size();
}

const QList<BandwidthChoice>& bandwidthChoices()
{
    static const QList<BandwidthChoice> choices {
        { QStringLiteral("Off"), 0 },
        { QStringLiteral("1 MB/s"), 1024 },
        { QStringLiteral("5 MB/s"), 5120 },
        { QStringLiteral("10 MB/s"), 10240 },
    };
    return choices;
}

std::optional<int> bandwidthChoiceIndex(std::optional<qint64> limit)
{
    const QList<BandwidthChoice>& choices = bandwidthChoices();
    for (int i = 0; i < choices.size(); ++i) {
        if (choices[i].kiloBytesPerSecond == limit.value_or(0))
            return i;
    }
    return std::nullopt;
}

QString scheduleKindTitle(ScheduleKind kind)
{
    switch (kind) {
    case ScheduleKind::manual:
        return QStringLiteral("Manual only");
    case ScheduleKind::everyFifteenMinutes:
        return QStringLiteral("Every 15 minutes");
    case ScheduleKind::hourly:
        return QStringLiteral("Every hour");
    case ScheduleKind::daily:
        return QStringLiteral("Daily");
    case ScheduleKind::weekly:
        return QStringLiteral("Weekly");
    case ScheduleKind::custom:
        return QStringLiteral("Custom interval");
    case ScheduleKind::onMount:
        return QStringLiteral("When destination is available");
    }
    return {};
}

QString sourceSizeLine(bool loading, std::optional<qint64> size, bool external)
{
    if (loading)
        return QStringLiteral("Measuring\u2026");
    const QString measured = size ? Format::bytes(*size) : QStringLiteral("Size not available");
    return external ? measured + QStringLiteral(" \u00B7 external volume") : measured;
}

} // namespace mv
