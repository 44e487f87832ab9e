#include "ui/kit/Motion.h"

#include "ui/kit/MotionSettings.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QWidget>

#include <cmath>
#include <numbers>

namespace mv::Motion {

namespace {

constexpr double springResponse = 0.32;
constexpr double springDamping = 0.86;

double springOmega()
{
    return 2 * std::numbers::pi / springResponse;
}

// Seconds until the spring's swing stays below 0.1 % of the distance.
double springSettlingSeconds()
{
    return std::log(1000.0) / (springDamping * springOmega());
}

// The position of an underdamped spring released at 0 towards 1, over its settling time.
qreal springCurve(qreal progress)
{
    // What is left of the swing at the settling time is below what anyone sees: the curve ends on its target.
    if (progress >= 1)
        return 1;
    const double t = progress * springSettlingSeconds();
    const double omega = springOmega();
    const double dampedOmega = omega * std::sqrt(1 - springDamping * springDamping);
    const double decay = std::exp(-springDamping * omega * t);
    return 1
        - decay
        * (std::cos(dampedOmega * t) + springDamping * omega / dampedOmega * std::sin(dampedOmega * t));
}

} // namespace

MotionPreset quick()
{
    return { QEasingCurve(QEasingCurve::OutQuad), 120 };
}

MotionPreset spring()
{
    QEasingCurve curve;
    curve.setCustomType(springCurve);
    return { curve, int(std::lround(springSettlingSeconds() * 1000)) };
}

MotionPreset progress()
{
    return { QEasingCurve(QEasingCurve::Linear), 250 };
}

void apply(QVariantAnimation& animation, const MotionPreset& preset)
{
    animation.setEasingCurve(preset.curve);
    animation.setDuration(preset.durationMs);
}

QPropertyAnimation* animate(QObject& target, const QByteArray& property, const QVariant& from,
    const QVariant& to, const MotionPreset& preset)
{
    for (QPropertyAnimation* earlier : target.findChildren<QPropertyAnimation*>(Qt::FindDirectChildrenOnly)) {
        if (earlier->propertyName() == property && earlier->state() == QAbstractAnimation::Running)
            earlier->stop();
    }
    if (MotionSettings::instance().reduceMotion()) {
        target.setProperty(property.constData(), to);
        return nullptr;
    }
    auto* animation = new QPropertyAnimation(&target, property, &target);
    animation->setStartValue(from.isValid() ? from : target.property(property.constData()));
    animation->setEndValue(to);
    apply(*animation, preset);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

void fadeIn(QWidget& widget, const MotionPreset& preset)
{
    // Without motion the content just changes, with no effect slowing every paint.
    if (MotionSettings::instance().reduceMotion())
        return;
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget.graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(&widget);
        widget.setGraphicsEffect(effect);
    }
    animate(*effect, "opacity", 0.0, 1.0, preset);
}

} // namespace mv::Motion
