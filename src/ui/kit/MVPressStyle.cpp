#include "ui/kit/MVPressStyle.h"

#include "ui/kit/Motion.h"

#include <QAbstractButton>
#include <QPainter>

namespace mv {

namespace {
constexpr qreal pressedScale = 0.975;
}

MVPressStyle::MVPressStyle(QAbstractButton* button)
    : QObject(button)
    , m_button(button)
{
    Motion::apply(m_animation, Motion::quick());
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scale = value.toReal();
        m_button->update();
    });
    connect(button, &QAbstractButton::pressed, this, [this] { follow(true); });
    connect(button, &QAbstractButton::released, this, [this] { follow(false); });
}

void MVPressStyle::follow(bool pressed)
{
    m_animation.stop();
    m_animation.setStartValue(m_scale);
    m_animation.setEndValue(pressed ? pressedScale : 1.0);
    m_animation.start();
}

void MVPressStyle::apply(QPainter& painter) const
{
    const QPointF middle = QRectF(m_button->rect()).center();
    painter.translate(middle);
    painter.scale(m_scale, m_scale);
    painter.translate(-middle);
}

} // namespace mv
