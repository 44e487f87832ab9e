#include "ui/kit/SymbolBadge.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/MotionSettings.h"

#include <QPainter>

namespace mv {

SymbolBadge::SymbolBadge(Shape shape, qreal side, qreal symbolSize, SymbolWeight weight, QWidget* parent)
    : QWidget(parent)
    , m_shape(shape)
    , m_symbolSize(symbolSize)
    , m_weight(weight)
{
    installKitAccessibility();
    setFixedSize(int(side), int(side));
    m_pulse.setStartValue(1.0);
    m_pulse.setKeyValueAt(0.5, 0.35);
    m_pulse.setEndValue(1.0);
    m_pulse.setDuration(1600);
    m_pulse.setLoopCount(-1);
    connect(&m_pulse, &QVariantAnimation::valueChanged, this, [this] { update(); });
    connect(
        &MotionSettings::instance(), &MotionSettings::reduceMotionChanged, this, [this] { updatePulse(); });
}

void SymbolBadge::setSymbol(const QString& symbol, PaletteColor color, bool pulsing)
{
    m_symbol = symbol;
    m_color = color;
    m_pulsing = pulsing;
    updatePulse();
    update();
}

void SymbolBadge::updatePulse()
{
    if (m_pulsing && !MotionSettings::instance().reduceMotion()) {
        if (m_pulse.state() != QAbstractAnimation::Running)
            m_pulse.start();
    } else {
        m_pulse.stop();
    }
}

void SymbolBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color.opacity(0.12).resolve(this));
    const QRectF area = rect();
    if (m_shape == Shape::circle)
        painter.drawEllipse(area);
    else
        painter.drawPath(continuousRoundedRect(area, 7));
    const qreal opacity
        = m_pulse.state() == QAbstractAnimation::Running ? m_pulse.currentValue().toReal() : 1.0;
    painter.setOpacity(opacity);
    IconLibrary::paint(painter, IconLibrary::textSizedBox(area.center(), m_symbolSize), m_symbol,
        m_color.resolve(this), m_weight);
}

} // namespace mv
