#pragma once

namespace mv {

// The named colours of the views. Everything below the views (status derivations, view models) hands out a
// role, never a colour: the views resolve a role for the appearance they are painted in, so switching between
// light and dark repaints without recomputing any status.
enum class PaletteRole {
    card,
    cardRaised,
    well,
    hairline,
    hairlineStrong,
    panelTint,
    panelFooter,
    success,
    warning,
    danger,
    idle,
    offline,
    brandTop,
    brandBottom,
    labelSecondary,
    labelTertiary,
    accent,
    label,
    onAccent,
    panelShadow,
};

} // namespace mv
