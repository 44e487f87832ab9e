#include "ui/kit/PulseRing.h"

#include <QPainter>

#include <cmath>

namespace mv {

namespace {
constexpr qreal ringMargin = 6;
constexpr qreal startScale = 0.9;
constexpr qreal endScale = 1.9;
constexpr qreal endOpacity = 0.2;
constexpr qreal fillOpacity = 0.22;
constexpr int cycleMs = 1600;
} // namespace

PulseRing::PulseRing(qreal dotSize, QWidget* parent)
    : QWidget(parent)
    , m_diameter(dotSize + ringMargin)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The ring's side has the dot's parity, so both share a centre exactly.
    const int dotSide = int(std::ceil(dotSize));
    int side = int(std::ceil(m_diameter * endScale)) + 2;
    side += (side - dotSide) % 2;
    resize(side, side);
    // Each cycle eases from the small, opaque ring to the large, faint one and starts again from the small
    // one.
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setDuration(cycleMs);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    m_animation.setLoopCount(-1);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void PulseRing::setColor(PaletteColor color)
{
    m_color = std::move(color);
    update();
}

void PulseRing::centreOn(const QRect& dotGeometry)
{
    move(dotGeometry.x() - (width() - dotGeometry.width()) / 2,
        dotGeometry.y() - (height() - dotGeometry.height()) / 2);
}

void PulseRing::start()
{
    m_animation.start();
    show();
    raise();
}

void PulseRing::stop()
{
    m_animation.stop();
    hide();
}

void PulseRing::paintEvent(QPaintEvent*)
{
    const qreal progress = m_animation.currentValue().toReal();
    const qreal scale = startScale + (endScale - startScale) * progress;
    const qreal opacity = 1 - (1 - endOpacity) * progress;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color.opacity(fillOpacity).resolve(this));
    const qreal radius = m_diameter * scale / 2;
    painter.drawEllipse(QRectF(rect()).center(), radius, radius);
}

} // namespace mv
