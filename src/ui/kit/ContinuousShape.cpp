#include "ui/kit/ContinuousShape.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mv {

namespace {

// How far along each edge a corner of radius r reaches.
constexpr qreal cornerReach = 1.528;
constexpr int segmentsPerCorner = 16;

// The corner is a superellipse quadrant |x|^n + |y|^n = 1 over a square of side `reach`. Its exponent is
// chosen so that the curve's middle lies as far from the corner as a circular arc of the radius would: a
// corner that reaches further is flatter near the edges and tighter in the middle. A reach equal to the
// radius is a circle.
qreal exponentFor(qreal radius, qreal reach)
{
    const qreal inset = (1 - std::numbers::sqrt2 / 2) * radius;
    return -std::numbers::ln2 / std::log(1 - inset / reach);
}

// Appends one corner from the end of one edge to the start of the next. `corner` is the rectangle's corner
// point; `along` and `across` are the unit directions of the incoming and the outgoing edge. The quadrant's
// centre lies `reach` inside the corner on both edges.
void addCorner(QPainterPath& path, QPointF corner, QPointF along, QPointF across, qreal reach, qreal exponent)
{
    const QPointF centre = corner - along * reach + across * reach;
    for (int step = 1; step <= segmentsPerCorner; ++step) {
        const qreal angle = std::numbers::pi / 2 * step / segmentsPerCorner;
        const qreal forward = std::pow(std::sin(angle), 2 / exponent);
        const qreal outward = std::pow(std::cos(angle), 2 / exponent);
        path.lineTo(centre + along * reach * forward - across * reach * outward);
    }
}

} // namespace

QPainterPath continuousRoundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    if (rect.isEmpty())
        return path;
    const qreal limit = std::min(rect.width(), rect.height()) / 2;
    radius = std::clamp(radius, qreal(0), limit);
    if (radius <= 0) {
        path.addRect(rect);
        return path;
    }
    const qreal reach = std::min(radius * cornerReach, limit);
    const qreal exponent = exponentFor(radius, reach);
    const QPointF right(1, 0), down(0, 1), left(-1, 0), up(0, -1);

    path.moveTo(rect.left() + reach, rect.top());
    path.lineTo(rect.right() - reach, rect.top());
    addCorner(path, rect.topRight(), right, down, reach, exponent);
    path.lineTo(rect.right(), rect.bottom() - reach);
    addCorner(path, rect.bottomRight(), down, left, reach, exponent);
    path.lineTo(rect.left() + reach, rect.bottom());
    addCorner(path, rect.bottomLeft(), left, up, reach, exponent);
    path.lineTo(rect.left(), rect.top() + reach);
    addCorner(path, rect.topLeft(), up, right, reach, exponent);
    path.closeSubpath();
    return path;
}

void strokeInside(QPainter& painter, const QRectF& rect, qreal radius, const QColor& colour, qreal width)
{
    if (colour.alpha() == 0)
        return;
    const qreal half = width / 2;
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(
        continuousRoundedRect(rect.adjusted(half, half, -half, -half), std::max(qreal(0), radius - half)));
    painter.restore();
}

void paintSurface(
    QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill, std::optional<QColor> edge)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawPath(continuousRoundedRect(rect, radius));
    if (edge)
        strokeInside(painter, rect, radius, *edge);
    painter.restore();
}

} // namespace mv
