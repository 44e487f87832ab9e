#include "shell/MenuBarIconController.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace mv {

namespace {

using Kind = MenuBarIconController::Kind;

// The glyphs are given with the origin at the bottom left and angles counter-clockwise; the painter is
// turned to match, so the coordinates stand as given.
void arc(QPainterPath& path, QPointF centre, double radius, double from, double to)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // With the y axis pointing up, Qt's counter-clockwise angles are the given ones mirrored.
    path.arcMoveTo(box, -from);
    path.arcTo(box, -from, -(to - from));
}

void stroke(QPainter& painter, const QPainterPath& path, double width, const QColor& color)
{
    QPen pen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.strokePath(path, pen);
}

void line(QPainterPath& path, QPointF from, QPointF to)
{
    path.moveTo(from);
    path.lineTo(to);
}

void drawIdle(QPainter& painter, const QColor& color)
{
    QPainterPath circle;
    arc(circle, { 9, 9 }, 6.2, 28, 326);
    stroke(painter, circle, 1.7, color);
    QPainterPath head;
    line(head, { 14.14003, 5.53300 }, { 11.40987, 4.28953 });
    line(head, { 14.14003, 5.53300 }, { 14.00984, 2.53583 });
    stroke(painter, head, 1.7, color);
}

void drawTriangle(QPainter& painter, const QColor& color)
{
    QPainterPath outline;
    outline.moveTo(9, 14.6);
    outline.lineTo(15.2, 3.6);
    outline.cubicTo({ 15.6, 2.9 }, { 15.2, 2.7 }, { 13.6, 2.9 });
    outline.lineTo(4.4, 2.9);
    outline.cubicTo({ 2.8, 2.7 }, { 2.4, 2.9 }, { 2.8, 3.6 });
    outline.closeSubpath();
    stroke(painter, outline, 1.5, color);
    QPainterPath stem;
    line(stem, { 9, 7.2 }, { 9, 10.1 });
    stroke(painter, stem, 1.5, color);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(8.2, 4.6, 1.6, 1.6));
}

void drawGlyph(QPainter& painter, Kind kind, double angle, const QColor& color)
{
    switch (kind) {
    case Kind::idle:
        drawIdle(painter, color);
        return;
    case Kind::disabled: {
        QColor faded = color;
        faded.setAlphaF(0.45 * color.alphaF());
        drawIdle(painter, faded);
        return;
    }
    case Kind::running: {
        QPainterPath spinner;
        arc(spinner, { 9, 9 }, 6.4, angle, angle + 236);
        stroke(painter, spinner, 1.7, color);
        painter.setBrush(color);
        painter.drawEllipse(QRectF(8, 8, 2, 2));
        return;
    }
    case Kind::paused: {
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(5.8, 4.6, 2.6, 8.8), 1.2, 1.2);
        painter.drawRoundedRect(QRectF(9.8, 4.6, 2.6, 8.8), 1.2, 1.2);
        return;
    }
    case Kind::error:
        drawTriangle(painter, color);
        return;
    case Kind::offline: {
        QPainterPath path;
        arc(path, { 9, 9 }, 6.2, 0, 360);
        line(path, { 4.6, 4.6 }, { 13.4, 13.4 });
        stroke(painter, path, 1.7, color);
        return;
    }
    case Kind::waiting: {
        QPainterPath circle;
        arc(circle, { 9, 9 }, 6.2, 0, 360);
        stroke(painter, circle, 1.7, color);
        QPainterPath hands;
        line(hands, { 9, 9 }, { 9, 12.4 });
        line(hands, { 9, 9 }, { 11.4, 8.1 });
        stroke(painter, hands, 1.5, color);
        return;
    }
    case Kind::completed: {
        QPainterPath check;
        check.moveTo(3.8, 9.4);
        check.lineTo(7.2, 5.8);
        check.lineTo(14.2, 12.8);
        stroke(painter, check, 2.0, color);
        return;
    }
    }
}

// The glyph over its own shape in `ring`'s colour, moved a pixel every way round: a ring along each line.
QImage ringed(const QImage& glyph, const QColor& ring)
{
    constexpr double width = 1.0;
    constexpr int steps = 16;
    QImage shape = glyph;
    {
        QPainter tint(&shape);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(QRectF(QPointF(), shape.deviceIndependentSize()), ring);
    }
    QImage image(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(glyph.devicePixelRatio());
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int step = 0; step < steps; ++step) {
        const double turn = 2 * std::numbers::pi * step / steps;
        painter.drawImage(QPointF(width * std::cos(turn), width * std::sin(turn)), shape);
    }
    painter.drawImage(QPointF(), glyph);
    return image;
}

} // namespace

MenuBarIconController::MenuBarIconController(Clock& clock)
    : m_clock(clock)
{
}

MenuBarIconController::Kind MenuBarIconController::kindFor(const AggregateStatus& status) const
{
    using StatusKind = AggregateStatus::Kind;
    if (status.kind == StatusKind::running)
        return Kind::running;
    if (m_transient && m_clock.now() < m_transient->until)
        return m_transient->kind;
    switch (status.kind) {
    case StatusKind::paused:
        return Kind::paused;
    case StatusKind::waiting:
        return Kind::waiting;
    case StatusKind::failed:
        return Kind::error;
    case StatusKind::offline:
        return Kind::offline;
    case StatusKind::disabled:
        return Kind::disabled;
    case StatusKind::empty:
    case StatusKind::ready:
    case StatusKind::idle:
    case StatusKind::running:
        return Kind::idle;
    }
    return Kind::idle;
}

QImage MenuBarIconController::image(
    const AggregateStatus& status, const QColor& color, qreal devicePixelRatio, std::optional<QColor> ring)
{
    if (status.kind == AggregateStatus::Kind::running)
        startSpin();
    else
        m_spin.reset(); // the angle stays, so the next run's spin goes on from it
    return draw(kindFor(status), m_angle, color, devicePixelRatio, ring);
}

void MenuBarIconController::noteRunFinished(bool success)
{
    const std::chrono::milliseconds lasting = success ? completedFor : errorFor;
    m_transient
        = Transient { success ? Kind::completed : Kind::error, m_clock.now().addMSecs(lasting.count()) };
    std::weak_ptr<bool> alive = m_alive;
    m_transientRedraw = m_clock.after(lasting + redrawMargin, [this, alive] {
        if (alive.lock() && onTick)
            onTick();
    });
}

void MenuBarIconController::startSpin()
{
    if (!m_spin)
        scheduleSpin();
}

void MenuBarIconController::scheduleSpin()
{
    std::weak_ptr<bool> alive = m_alive;
    m_spin = m_clock.after(spinInterval, [this, alive] {
        if (!alive.lock())
            return;
        m_angle -= spinStep;
        if (m_angle <= -360)
            m_angle = 0;
        scheduleSpin();
        if (onTick)
            onTick();
    });
}

QImage MenuBarIconController::draw(
    Kind kind, double angle, const QColor& color, qreal devicePixelRatio, std::optional<QColor> ring)
{
    const int pixels = qRound(side * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Origin at the bottom left, y upwards, as the glyphs are given.
    painter.translate(0, side);
    painter.scale(1, -1);
    drawGlyph(painter, kind, angle, color);
    painter.end();
    return ring ? ringed(image, *ring) : image;
}

} // namespace mv
