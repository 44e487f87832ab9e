#pragma once

#include "model/Enumerations.h"

#include <QPalette>

class QWidget;

namespace mv {

enum class Appearance { light, dark };

// The appearance a palette stands for: dark when its window colour is dark. This is how the kit reads the
// system's scheme, the application's forced appearance and a widget forced into the other one alike.
Appearance appearanceOf(const QPalette& palette);

// The appearance `widget` is painted in (its own palette, inherited from its parents and the application).
Appearance effectiveAppearance(const QWidget* widget);

// The palette of a forced appearance; standard controls follow it, and the kit reads it back.
QPalette appearancePalette(Appearance appearance);

// Forces `widget` and its children into `appearance`, whatever the rest of the window shows.
void forceAppearance(QWidget* widget, Appearance appearance);

// Applies the user's choice to the whole application: `system` restores the palette the desktop gave at the
// first call, `light` and `dark` set the matching palette.
void applyAppearancePreference(AppearancePreference preference);

} // namespace mv
