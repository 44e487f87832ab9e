#pragma once

#include <QByteArray>
#include <QEasingCurve>
#include <QVariant>

class QObject;
class QPropertyAnimation;
class QVariantAnimation;
class QWidget;

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

// Runs `preset` on `property` of `target`, from `from` (an invalid value: where the property stands) to `to`.
// A newer run of the same property takes over from where the earlier one got to. Under Reduce Motion the
// property takes `to` at once and nothing runs. Answers the running animation, a child of `target` that is
// deleted once it stops; null when nothing runs.
QPropertyAnimation* animate(QObject& target, const QByteArray& property, const QVariant& from,
    const QVariant& to, const MotionPreset& preset);

// Shows the new content of `widget` fading in with `preset`: an opacity content transition.
void fadeIn(QWidget& widget, const MotionPreset& preset);

} // namespace Motion

} // namespace mv
