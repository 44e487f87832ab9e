#pragma once

#include <QEasingCurve>

class QVariantAnimation;

namespace mv {

// One animation curve of the views: an easing and how long it runs.
struct MotionPreset {
    QEasingCurve curve;
    int durationMs = 0;
};

// The only source of the views' animation curves.
namespace Motion {

// Hover and press feedback: ease-out, 0.12 s.
MotionPreset quick();
// Changes of the panel's sections and of run cards: a spring with a 0.32 s response and a damping fraction of
// 0.86, run until it has settled.
MotionPreset spring();
// Changes of a progress bar's fraction: linear, 0.25 s.
MotionPreset progress();

// Gives `animation` the curve and the duration of `preset`.
void apply(QVariantAnimation& animation, const MotionPreset& preset);

} // namespace Motion

} // namespace mv
