#include "ui/restore/SymbolTile.h"

#include "ui/kit/ContinuousShape.h"

#include <QPainter>

namespace mv {

SymbolTile::SymbolTile(Shape shape, const QString& symbol, PaletteColor color, qreal patchOpacity, qreal side,
    qreal symbolSize, SymbolWeight weight, QWidget* parent)
    : QWidget(parent)
    , m_shape(shape)
    , m_symbol(symbol)
    , m_color(color)
    , m_patchOpacity(patchOpacity)
    , m_symbolSize(symbolSize)
    , m_weight(weight)
{
    setFixedSize(int(side), int(side));
}

void SymbolTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    const QPainterPath patch = m_shape == Shape::circle ? [&] {
        QPainterPath circle;
        circle.addEllipse(box);
        return circle;
    }()
                                                        : continuousRoundedRect(box, 8);
    painter.fillPath(patch, m_color.opacity(m_patchOpacity).resolve(this));
    IconLibrary::paint(painter, IconLibrary::textSizedBox(box.center(), m_symbolSize), m_symbol,
        m_color.resolve(this), m_weight);
}

} // namespace mv
