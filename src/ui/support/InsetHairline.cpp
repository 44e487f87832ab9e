#include "ui/support/InsetHairline.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

InsetHairline::InsetHairline(int inset, QWidget* parent)
    : QWidget(parent)
    , m_inset(inset)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void InsetHairline::paintEvent(QPaintEvent*)
{
    // Half a pixel high: a full pixel at half the colour's strength.
    QPainter painter(this);
    QColor colour = Palette::hairline.resolve(this);
    colour.setAlphaF(colour.alphaF() * 0.5f);
    painter.fillRect(QRect(m_inset, 0, width() - m_inset, 1), colour);
}

} // namespace mv
