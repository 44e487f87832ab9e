#pragma once

#include "model/Enumerations.h"
#include "model/PaletteRole.h"
#include "model/RunProgress.h"
#include "ui/models/restore/RestoreLocation.h"

#include <QString>

#include <optional>

namespace mv {

// The words of the restore section that are derived from its state.
namespace RestoreTexts {

// "Nothing selected", "1 item selected", "12 items selected".
QString selectionSummary(qsizetype count);
// A snapshot folder named by the date in its name, else by the folder's own name.
QString snapshotLabel(const QString& path);
// What the chosen location means; `sourcePath` is the chosen job's source folder, none without a job.
QString locationExplanation(RestoreLocation location, const std::optional<QString>& sourcePath);
// "3 changes found at the restore location".
QString conflictCount(qsizetype count);
// The note under the pickers, for a versioned destination or any other.
QString modeNote(bool versioned);
QString modeNoteSymbol(bool versioned);
// A byte count of a listed file.
QString size(qint64 bytes);

} // namespace RestoreTexts

// How the restore card shows a phase: its word, colour, whether the chip pulses and whether it offers
// "Cancel" (else "Done").
struct RestorePhaseStyle {
    QString word;
    PaletteRole color = PaletteRole::accent;
    bool pulsing = false;
    bool offersCancel = false;

    bool operator==(const RestorePhaseStyle&) const = default;
};
RestorePhaseStyle restorePhaseStyle(RunPhase phase);

// "Item 2 of 3"; the first number never exceeds the second.
QString restoreItemCounter(qint64 itemIndex, qint64 itemCount);
// The card's headline: the restore's message, or "Restoring".
QString restoreHeadline(const std::optional<QString>& message);
// The figures the card shows for a restore in `phase`: one that has ended has no time left.
RunProgress restoreShownProgress(RunPhase phase, RunProgress progress);

} // namespace mv
