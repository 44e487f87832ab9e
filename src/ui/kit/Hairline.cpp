#include "ui/kit/Hairline.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

Hairline::Hairline(Qt::Orientation orientation, HairlineWeight weight, int indent, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
    , m_weight(weight)
    , m_indent(indent)
{
    if (orientation == Qt::Horizontal) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

void Hairline::paintEvent(QPaintEvent*)
{
    QColor colour = Palette::hairline.resolve(this);
    if (m_weight == HairlineWeight::half)
        colour.setAlphaF(colour.alphaF() * 0.5f);
    const QRect line = m_orientation == Qt::Horizontal ? rect().adjusted(m_indent, 0, 0, 0)
                                                       : rect().adjusted(0, m_indent, 0, 0);
    QPainter(this).fillRect(line, colour);
}

} // namespace mv
