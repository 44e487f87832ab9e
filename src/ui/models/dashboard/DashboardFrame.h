#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace mv::DashboardFrame {

inline constexpr QSize defaultSize { 1040, 700 };
inline constexpr QSize minimumSize { 880, 600 };
// The largest frame that is restored or saved as it is; a larger one is a maximised window.
inline constexpr QSize largestSize { 1360, 900 };
// How far inside its edges a stored frame must still meet a screen: a sliver on screen counts as off it.
inline constexpr int screenInset = 80;
inline constexpr auto settingsKey = "MarrowvaleDashboardFrame";

// "{{x, y}, {w, h}}". Reading accepts only four finite numbers in that shape, small enough to be pixels.
QString format(const QRect& frame);
std::optional<QRect> parse(const QString& text);

// The default frame centred in `area` (a screen's available geometry), or at the origin without one.
QRect centredDefault(const std::optional<QRect>& area);

// The frame a new window takes from what is stored: the stored frame when it parses, its size lies within
// the limits and it is mostly on the screens (and not only a sliver); otherwise the default centred on the
// main screen.
QRect restored(const std::optional<QString>& stored, const QList<QRect>& screens,
    const std::optional<QRect>& mainScreen);

// What is stored for a window now at `frame`: the frame itself, or, when it is larger than the largest size,
// the default centred on `screen` (the window's, else the main one), or at the frame's origin with none.
QRect saved(const QRect& frame, const std::optional<QRect>& screen);

} // namespace mv::DashboardFrame
