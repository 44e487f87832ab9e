#include "ui/kit/WellSurface.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

void paintWell(QPainter& painter, const QRectF& rect, qreal radius, const QWidget* widget, WellEdge edge)
{
    paintSurface(painter, rect, radius, Palette::well.resolve(widget),
        edge == WellEdge::hairline ? std::optional(Palette::hairline.resolve(widget)) : std::nullopt);
}

WellSurface::WellSurface(qreal radius, QWidget* parent)
    : QWidget(parent)
    , m_radius(radius)
{
}

void WellSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintWell(painter, rect(), m_radius, this, WellEdge::none);
}

} // namespace mv
