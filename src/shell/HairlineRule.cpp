#include "shell/HairlineRule.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

namespace {
constexpr qreal lineWidth = 0.5;
} // namespace

HairlineRule::HairlineRule(Qt::Orientation orientation, int length, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
    , m_length(length)
{
    if (orientation == Qt::Horizontal)
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    else
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize HairlineRule::sizeHint() const
{
    return m_orientation == Qt::Horizontal ? QSize(m_length, 1) : QSize(1, m_length);
}

void HairlineRule::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF line = m_orientation == Qt::Horizontal ? QRectF(0, 0, width(), lineWidth)
                                                        : QRectF(0, 0, lineWidth, height());
    painter.fillRect(line, Palette::hairline.resolve(this));
}

} // namespace mv
