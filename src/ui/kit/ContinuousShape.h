#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

#include <optional>

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

// A kit surface (a card, a well): `fill` in the rounded shape, antialiased, with a 0.5 px `edge` inside it
// when given.
void paintSurface(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
    std::optional<QColor> edge = std::nullopt);

} // namespace mv
