#pragma once

#include <QPainterPath>
#include <QRectF>

class QColor;
class QPainter;

namespace mv {

// The outline of a rounded rectangle with continuous ("squircle") corners: each corner starts further along
// the edges than a circular arc of the same radius would and bends more tightly near its middle, so the
// curvature grows smoothly from the straight edge instead of jumping. A radius of half the shorter side gives
// a capsule.
QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius);

// The border of a kit shape: a line of `width` drawn inside the edge of the shape, so the shape keeps its
// size.
void strokeInside(
    QPainter& painter, const QRectF& rect, qreal radius, const QColor& colour, qreal width = 0.5);

} // namespace mv
