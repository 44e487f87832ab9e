#include "ui/kit/WellSurface.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

WellSurface::WellSurface(qreal radius, QWidget* parent)
    : QWidget(parent)
    , m_radius(radius)
{
}

void WellSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::well.resolve(this));
    painter.drawPath(continuousRoundedRect(rect(), m_radius));
}

} // namespace mv
