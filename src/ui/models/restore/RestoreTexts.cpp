#include "ui/models/restore/RestoreTexts.h"

#include "engine/VersionedStore.h"
#include "model/Format.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace mv {

namespace RestoreTexts {

QString selectionSummary(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("Nothing selected");
    if (count == 1)
        return QStringLiteral("1 item selected");
    return QString::number(count) + QStringLiteral(" items selected");
}

QString snapshotLabel(const QString& path)
{
    if (const std::optional<QDateTime> date = VersionedStore::snapshotDate(path))
        return Format::mediumDateTime(*date);
    return QFileInfo(QDir::cleanPath(path)).fileName();
}

QString locationExplanation(RestoreLocation location, const std::optional<QString>& sourcePath)
{
    if (location == RestoreLocation::custom)
        return QStringLiteral(
            "Files are written under the chosen folder, keeping the folder structure from the backup.");
    return QStringLiteral("Files return to ")
        + sourcePath.value_or(QStringLiteral("the original source folder"))
        + QStringLiteral(". Existing files are listed before anything is replaced.");
}

QString conflictCount(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" changes found at the restore location");
}

QString modeNote(bool versioned)
{
    return versioned
        ? QStringLiteral("Snapshots are read only. Choose the date you want to go back to.")
        : QStringLiteral("Only the current state is stored for this mode. Incremental and mirror "
                         "backups do not keep earlier versions.");
}

QString modeNoteSymbol(bool versioned)
{
    return versioned ? QStringLiteral("clock.arrow.circlepath") : QStringLiteral("info.circle");
}

QString size(qint64 bytes)
{
    return Format::bytes(std::max<qint64>(bytes, 0));
}

} // namespace RestoreTexts

RestorePhaseStyle restorePhaseStyle(RunPhase phase)
{
    switch (phase) {
    case RunPhase::queued:
        return { QStringLiteral("Queued"), PaletteRole::accent, false, false };
    case RunPhase::preparing:
        return { QStringLiteral("Preparing"), PaletteRole::accent, false, true };
    case RunPhase::running:
        return { QStringLiteral("Running"), PaletteRole::accent, true, true };
    case RunPhase::paused:
        return { QStringLiteral("Paused"), PaletteRole::accent, false, false };
    case RunPhase::cancelling:
        return { QStringLiteral("Stopping"), PaletteRole::accent, false, false };
    case RunPhase::waiting:
        return { QStringLiteral("Waiting"), PaletteRole::accent, false, false };
    case RunPhase::completed:
        return { QStringLiteral("Copied"), PaletteRole::success, false, false };
    case RunPhase::failed:
        return { QStringLiteral("Failed"), PaletteRole::danger, false, false };
    case RunPhase::cancelled:
        return { QStringLiteral("Cancelled"), PaletteRole::idle, false, false };
    }
    return { QStringLiteral("Queued"), PaletteRole::accent, false, false };
}

QString restoreItemCounter(qint64 itemIndex, qint64 itemCount)
{
    return QStringLiteral("Item ") + QString::number(std::min(itemIndex + 1, itemCount))
        + QStringLiteral(" of ") + QString::number(itemCount);
}

QString restoreHeadline(const std::optional<QString>& message)
{
    return message.value_or(QStringLiteral("Restoring"));
}

RunProgress restoreShownProgress(RunPhase phase, RunProgress progress)
{
    // The restore's own phase is the one that counts: its progress record is never queued or paused.
    progress.phase = phase;
    if (phase == RunPhase::completed || phase == RunPhase::failed || phase == RunPhase::cancelled)
        progress.etaSeconds.reset();
    return progress;
}

} // namespace mv
