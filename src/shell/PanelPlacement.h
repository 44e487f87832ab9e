#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace mv {

// Where the panel window goes. It is the card plus a transparent margin for the shadow on every side.
namespace PanelPlacement {

inline constexpr QSize windowSize { 452, 652 };
inline constexpr QSize cardSize { 420, 620 };
inline constexpr int margin = 16;

// The window's frame on a screen (`geometry` whole, `available` without the desktop's own panels), centred
// on `anchorX` (else 60 px left of the screen's right edge) and kept 8 px inside the available width, the
// right edge winning on a screen narrower than the panel. The card's visible edge sits 6 px from the
// available area's top, or from its bottom when the panel opens upward (a tray at the bottom).
QRect frame(const QRect& geometry, const QRect& available, std::optional<int> anchorX, bool upward);

// Whether a tray icon at `anchor` sits in the lower half of the available area, so the panel opens upward.
bool opensUpward(const QRect& available, QPoint anchor);

} // namespace PanelPlacement

} // namespace mv
