#include "ui/kit/HairlineDivider.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

HairlineDivider::HairlineDivider(int indent, QWidget* parent)
    : QWidget(parent)
    , m_indent(indent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void HairlineDivider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(m_indent, 0, width() - m_indent, 1), Palette::hairline.resolve(this));
}

} // namespace mv
