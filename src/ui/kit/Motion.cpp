#include "ui/kit/Motion.h"

#include <QVariantAnimation>

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

} // namespace mv::Motion
