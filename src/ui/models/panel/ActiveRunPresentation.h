#pragma once

#include "model/ActiveRun.h"
#include "model/PaletteRole.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace mv::ActiveRunPresentation {

// The label of the status chip and the colour that tints the whole card, by phase.
struct PhaseLook {
    QString label;
    PaletteRole color = PaletteRole::accent;
    bool pulsing = false; // only while running
};
PhaseLook phaseLook(RunPhase phase);

// The pause button's face: "Pause" while running, "Resume" while paused, none in any other phase.
struct PauseButton {
    QString title;
    QString symbol;
};
std::optional<PauseButton> pauseButton(RunPhase phase);
// Whether the card offers "Cancel": in every live phase (queued up to cancelling).
bool offersCancel(RunPhase phase);

// The last component of a folder path as a file URL reads it: a trailing slash is ignored, "/" stays "/".
QString sourceName(const QString& path);

// The fraction the bar shows: none while unknown or not a finite number (the bar then slides), else it
// clamped to 0 … 1.
std::optional<double> shownFraction(const RunProgress& progress);
// The percentage beside the bar: an em dash without a shown fraction, else 0% … 100%.
QString fractionText(const RunProgress& progress);

// The line under the figures: the file being copied, else the coordinator's message, else nothing.
struct Detail {
    enum class Kind { none, file, message };
    Kind kind = Kind::none;
    QString text;
};
Detail detail(const RunProgress& progress);

// "Started 5 min. ago".
QString startedText(const QDateTime& startedAt, const QDateTime& now);

} // namespace mv::ActiveRunPresentation
