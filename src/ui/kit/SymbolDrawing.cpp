#include "ui/kit/SymbolDrawing.h"

#include <QPainterPathStroker>
#include <QPen>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace mv::detail {

void SymbolCanvas::stroke(const QPainterPath& centreLine)
{
    stroke(centreLine, m_lineWidth);
}

void SymbolCanvas::stroke(const QPainterPath& centreLine, qreal width)
{
    m_shape = m_shape.united(strokeOf(centreLine, width));
}

void SymbolCanvas::fill(const QPainterPath& shape)
{
    m_shape = m_shape.united(shape);
}

void SymbolCanvas::cut(const QPainterPath& shape)
{
    m_shape = m_shape.subtracted(shape);
}

void SymbolCanvas::cutStroke(const QPainterPath& centreLine)
{
    cut(strokeOf(centreLine, m_lineWidth));
}

QPainterPath SymbolCanvas::strokeOf(const QPainterPath& centreLine, qreal width) const
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine);
}

namespace {

constexpr QPointF centre(12, 12);

// A small drawing placed inside something else (a circle, a disc, a badge): centre lines to stroke and shapes
// to fill, drawn full size around the grid's centre and scaled where they are used.
struct Mark {
    QPainterPath lines;
    QPainterPath fills;
};

QPainterPath poly(std::initializer_list<QPointF> points, bool closed = false)
{
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    if (closed)
        path.closeSubpath();
    return path;
}

QPainterPath circle(QPointF middle, qreal radius)
{
    QPainterPath path;
    path.addEllipse(middle, radius, radius);
    return path;
}

QPainterPath roundRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath arc(QPointF middle, qreal radius, qreal startDegrees, qreal spanDegrees)
{
    const QRectF box(middle.x() - radius, middle.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, startDegrees);
    path.arcTo(box, startDegrees, spanDegrees);
    return path;
}

// Maps a full-size mark drawn around the grid's centre to `to`, scaled by `scale`.
QTransform placing(QPointF to, qreal scale)
{
    return QTransform::fromTranslate(to.x(), to.y()).scale(scale, scale).translate(-centre.x(), -centre.y());
}

void draw(SymbolCanvas& canvas, const Mark& mark, const QTransform& where = {}, qreal widthFactor = 1)
{
    if (!mark.lines.isEmpty())
        canvas.stroke(where.map(mark.lines), canvas.lineWidth() * widthFactor);
    if (!mark.fills.isEmpty())
        canvas.fill(where.map(mark.fills));
}

void knockOut(SymbolCanvas& canvas, const Mark& mark, const QTransform& where, qreal widthFactor = 1)
{
    SymbolCanvas hole(canvas.lineWidth() * widthFactor);
    draw(hole, mark, where);
    canvas.cut(hole.result());
}

// Filled shape: the area and its outline stroked, so its corners round like the line drawings.
void solid(SymbolCanvas& canvas, const QPainterPath& shape)
{
    canvas.fill(shape);
    canvas.stroke(shape);
}

// A filled triangle heading along an arc at its end.
void arcWithHead(
    SymbolCanvas& canvas, QPointF middle, qreal radius, qreal start, qreal span, qreal head = 3.2)
{
    canvas.stroke(arc(middle, radius, start, span));
    const qreal end = (start + span) * std::numbers::pi / 180;
    const QPointF tip(middle.x() + radius * std::cos(end), middle.y() - radius * std::sin(end));
    const qreal direction = span < 0 ? 1 : -1;
    const QPointF along(direction * std::sin(end), direction * std::cos(end));
    const QPointF outward(std::cos(end), -std::sin(end));
    solid(canvas,
        poly({ tip + along * head, tip + outward * head * 0.95 - along * 0.4,
                 tip - outward * head * 0.95 - along * 0.4 },
            true));
}

// Marks, full size around the centre.

Mark check()
{
    return { poly({ { 6, 12.5 }, { 10, 16.5 }, { 18, 7.5 } }), {} };
}

Mark xmark()
{
    QPainterPath lines = poly({ { 6.5, 6.5 }, { 17.5, 17.5 } });
    lines.addPath(poly({ { 17.5, 6.5 }, { 6.5, 17.5 } }));
    return { lines, {} };
}

Mark plus()
{
    QPainterPath lines = poly({ { 12, 5 }, { 12, 19 } });
    lines.addPath(poly({ { 5, 12 }, { 19, 12 } }));
    return { lines, {} };
}

Mark minus()
{
    return { poly({ { 5.5, 12 }, { 18.5, 12 } }), {} };
}

Mark exclamation()
{
    return { poly({ { 12, 4.5 }, { 12, 14 } }), circle({ 12, 19 }, 1.9) };
}

Mark question()
{
    QPainterPath lines;
    lines.moveTo(7.5, 8.5);
    lines.cubicTo(7.5, 3.5, 16.5, 3.5, 16.5, 8.5);
    lines.cubicTo(16.5, 11.5, 12, 11.5, 12, 15);
    return { lines, circle({ 12, 19.5 }, 1.9) };
}

Mark info()
{
    QPainterPath lines = poly({ { 9.5, 10.5 }, { 12, 10.5 }, { 12, 18.5 } });
    lines.addPath(poly({ { 9, 18.5 }, { 15, 18.5 } }));
    return { lines, circle({ 12, 5.5 }, 1.9) };
}

Mark pauseBars()
{
    QPainterPath lines = poly({ { 9, 6.5 }, { 9, 17.5 } });
    lines.addPath(poly({ { 15, 6.5 }, { 15, 17.5 } }));
    return { lines, {} };
}

Mark stopSquare()
{
    return { {}, roundRect({ 7, 7, 10, 10 }, 2) };
}

Mark bolt()
{
    return { {},
        poly({ { 13.5, 2.5 }, { 5.5, 13.5 }, { 11.5, 13.5 }, { 10.5, 21.5 }, { 18.5, 10.5 }, { 12.5, 10.5 } },
            true) };
}

Mark horizontalBolt()
{
    const Mark upright = bolt();
    return { {}, QTransform().translate(12, 12).rotate(90).translate(-12, -12).map(upright.fills) };
}

Mark ellipsisDots()
{
    QPainterPath dots = circle({ 5.5, 12 }, 1.9);
    dots.addPath(circle({ 12, 12 }, 1.9));
    dots.addPath(circle({ 18.5, 12 }, 1.9));
    return { {}, dots };
}

Mark clockHands()
{
    return { poly({ { 12, 6 }, { 12, 12 }, { 16, 14.5 } }), {} };
}

Mark uturn()
{
    QPainterPath lines;
    lines.moveTo(5, 9.5);
    lines.lineTo(14, 9.5);
    lines.arcTo(QRectF(9, 9.5, 10, 10), 90, -180);
    lines.lineTo(10, 19.5);
    lines.addPath(poly({ { 9, 5.5 }, { 5, 9.5 }, { 9, 13.5 } }));
    return { lines, {} };
}

Mark gear()
{
    QPainterPath body = circle(centre, 6.8);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath bar = roundRect({ 10.3, 2.3, 3.4, 5 }, 1);
        body = body.united(QTransform().translate(12, 12).rotate(45.0 * tooth).translate(-12, -12).map(bar));
    }
    return { {}, body.subtracted(circle(centre, 2.8)) };
}

Mark person()
{
    QPainterPath lines = circle({ 12, 9.5 }, 3.3);
    lines.moveTo(5.8, 18.8);
    lines.cubicTo(7, 15.2, 9.5, 14.3, 12, 14.3);
    lines.cubicTo(14.5, 14.3, 17, 15.2, 18.2, 18.8);
    return { lines, {} };
}

// Base drawings.

constexpr qreal ringRadius = 9;
constexpr qreal insideScale = 0.52;

void ring(SymbolCanvas& canvas, const Mark& inner)
{
    canvas.stroke(circle(centre, ringRadius));
    draw(canvas, inner, placing(centre, insideScale));
}

void disc(SymbolCanvas& canvas, const Mark& inner)
{
    canvas.fill(circle(centre, ringRadius + canvas.lineWidth() / 2));
    knockOut(canvas, inner, placing(centre, insideScale));
}

// A badge at the lower right: the drawing beneath gives way around a disc holding a knocked-out mark.
void badge(SymbolCanvas& canvas, const Mark& mark)
{
    const QPointF where(18, 18);
    canvas.cut(circle(where, 7.2));
    canvas.fill(circle(where, 5.6));
    knockOut(canvas, mark, placing(where, 0.36), 0.85);
}

void gearBadge(SymbolCanvas& canvas)
{
    const QPointF where(18, 18);
    canvas.cut(circle(where, 7.2));
    draw(canvas, gear(), placing(where, 0.6));
}

QPainterPath driveBody()
{
    return roundRect({ 2.5, 7, 19, 10 }, 2.6);
}

Mark driveDetails()
{
    return { poly({ { 6, 13.8 }, { 10.5, 13.8 } }), circle({ 17.2, 13.8 }, 1.2) };
}

void externalDrive(SymbolCanvas& canvas)
{
    canvas.stroke(driveBody());
    draw(canvas, driveDetails());
}

QPainterPath folderOutline()
{
    return poly(
        { { 2.5, 5 }, { 9.3, 5 }, { 11.3, 7.5 }, { 21.5, 7.5 }, { 21.5, 19.5 }, { 2.5, 19.5 } }, true);
}

void folder(SymbolCanvas& canvas)
{
    canvas.stroke(folderOutline());
    canvas.stroke(poly({ { 2.5, 10.5 }, { 21.5, 10.5 } }));
}

QPainterPath clockFace()
{
    return circle(centre, ringRadius);
}

void clock(SymbolCanvas& canvas)
{
    canvas.stroke(clockFace());
    draw(canvas, clockHands(), placing(centre, 0.95));
}

QPainterPath cloudShape()
{
    QPainterPath shape = circle({ 7.5, 14.5 }, 4.3);
    shape = shape.united(circle({ 12.8, 10.8 }, 5.6));
    shape = shape.united(circle({ 17.6, 14.8 }, 4));
    shape = shape.united(roundRect({ 7.5, 13, 10.1, 5.8 }, 0.5));
    return shape.simplified();
}

QPainterPath shieldOutline()
{
    QPainterPath path;
    path.moveTo(12, 2.8);
    path.lineTo(19.5, 5.6);
    path.lineTo(19.5, 11);
    path.cubicTo(19.5, 16, 16.5, 19.4, 12, 21.3);
    path.cubicTo(7.5, 19.4, 4.5, 16, 4.5, 11);
    path.lineTo(4.5, 5.6);
    path.closeSubpath();
    return path;
}

QPainterPath triangleOutline()
{
    return poly({ { 12, 3.5 }, { 21.2, 19.8 }, { 2.8, 19.8 } }, true);
}

QPainterPath documentOutline(const QRectF& page)
{
    const qreal fold = 4.5;
    QPainterPath path = poly({ page.topLeft(), { page.right() - fold, page.top() },
                                 { page.right(), page.top() + fold }, page.bottomRight(), page.bottomLeft() },
        true);
    path.addPath(poly({ { page.right() - fold, page.top() }, { page.right() - fold, page.top() + fold },
        { page.right(), page.top() + fold } }));
    return path;
}

void globe(SymbolCanvas& canvas)
{
    canvas.stroke(circle(centre, ringRadius));
    QPainterPath meridian;
    meridian.addEllipse(centre, 4, ringRadius);
    canvas.stroke(meridian);
    canvas.stroke(poly({ { 3.6, 9 }, { 20.4, 9 } }));
    canvas.stroke(poly({ { 3.6, 15 }, { 20.4, 15 } }));
}

void trayBox(SymbolCanvas& canvas)
{
    canvas.stroke(poly({ { 3, 13 }, { 6.3, 5 }, { 17.7, 5 }, { 21, 13 }, { 21, 19 }, { 3, 19 } }, true));
    QPainterPath slot;
    slot.moveTo(3, 13);
    slot.lineTo(8.3, 13);
    slot.cubicTo(8.8, 15.8, 15.2, 15.8, 15.7, 13);
    slot.lineTo(21, 13);
    canvas.stroke(slot);
}

QPainterPath seal()
{
    QPainterPath path;
    constexpr int samples = 120;
    for (int i = 0; i <= samples; ++i) {
        const qreal angle = 2 * std::numbers::pi * i / samples;
        const qreal radius = 8.6 + 0.8 * std::cos(12 * angle);
        const QPointF point(12 + radius * std::cos(angle), 12 + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

QHash<QString, SymbolDrawing> makeDrawings()
{
    QHash<QString, SymbolDrawing> d;
    const auto add
        = [&d](const char* name, SymbolDrawing drawing) { d.insert(QString::fromLatin1(name), drawing); };

    // Arrows.
    add("arrow.clockwise", [](SymbolCanvas& c) { arcWithHead(c, { 12, 12.5 }, 8, 40, -300); });
    add("arrow.right", [](SymbolCanvas& c) {
        c.stroke(poly({ { 4, 12 }, { 20, 12 } }));
        c.stroke(poly({ { 14, 6 }, { 20, 12 }, { 14, 18 } }));
    });
    add("arrow.up", [](SymbolCanvas& c) {
        c.stroke(poly({ { 12, 20 }, { 12, 4 } }));
        c.stroke(poly({ { 6, 10 }, { 12, 4 }, { 18, 10 } }));
    });
    add("arrow.up.right", [](SymbolCanvas& c) {
        c.stroke(poly({ { 6, 18 }, { 18, 6 } }));
        c.stroke(poly({ { 9, 6 }, { 18, 6 }, { 18, 15 } }));
    });
    add("arrow.up.arrow.down", [](SymbolCanvas& c) {
        c.stroke(poly({ { 8, 20 }, { 8, 4 } }));
        c.stroke(poly({ { 4, 8 }, { 8, 4 }, { 12, 8 } }));
        c.stroke(poly({ { 16, 4 }, { 16, 20 } }));
        c.stroke(poly({ { 12, 16 }, { 16, 20 }, { 20, 16 } }));
    });
    add("arrow.up.right.square", [](SymbolCanvas& c) {
        c.stroke(roundRect({ 3.5, 3.5, 17, 17 }, 3.5));
        c.stroke(poly({ { 8.5, 15.5 }, { 15.5, 8.5 } }));
        c.stroke(poly({ { 10, 8.5 }, { 15.5, 8.5 }, { 15.5, 14 } }));
    });
    add("arrow.uturn.backward", [](SymbolCanvas& c) { draw(c, uturn()); });
    add("arrow.uturn.backward.circle", [](SymbolCanvas& c) { ring(c, uturn()); });
    add("arrow.uturn.backward.circle.badge.xmark", [](SymbolCanvas& c) {
        ring(c, uturn());
        badge(c, xmark());
    });
    add("arrow.triangle.2.circlepath", [](SymbolCanvas& c) {
        arcWithHead(c, centre, 7.8, 165, -125);
        arcWithHead(c, centre, 7.8, -15, -125);
    });
    add("arrow.triangle.merge", [](SymbolCanvas& c) {
        c.stroke(poly({ { 6, 20.5 }, { 6, 15.5 }, { 12, 9.5 }, { 12, 6 } }));
        c.stroke(poly({ { 18, 20.5 }, { 18, 15.5 }, { 12, 9.5 } }));
        solid(c, poly({ { 12, 2.5 }, { 15.3, 6.8 }, { 8.7, 6.8 } }, true));
    });
    add("clock.arrow.circlepath", [](SymbolCanvas& c) {
        arcWithHead(c, { 12.5, 12 }, 8.3, -60, 250);
        draw(c, clockHands(), placing({ 12.8, 12 }, 0.7));
    });
    add("square.and.arrow.up", [](SymbolCanvas& c) {
        c.stroke(
            poly({ { 8.5, 9.5 }, { 5.5, 9.5 }, { 5.5, 21 }, { 18.5, 21 }, { 18.5, 9.5 }, { 15.5, 9.5 } }));
        c.stroke(poly({ { 12, 15 }, { 12, 2.5 } }));
        c.stroke(poly({ { 8.5, 6 }, { 12, 2.5 }, { 15.5, 6 } }));
    });
    add("square.and.arrow.down", [](SymbolCanvas& c) {
        c.stroke(
            poly({ { 8.5, 9.5 }, { 5.5, 9.5 }, { 5.5, 21 }, { 18.5, 21 }, { 18.5, 9.5 }, { 15.5, 9.5 } }));
        c.stroke(poly({ { 12, 2.5 }, { 12, 15 } }));
        c.stroke(poly({ { 8.5, 11.5 }, { 12, 15 }, { 15.5, 11.5 } }));
    });
    add("chevron.right", [](SymbolCanvas& c) { c.stroke(poly({ { 9, 5 }, { 16, 12 }, { 9, 19 } })); });

    // Circles and discs.
    add("circle", [](SymbolCanvas& c) { c.stroke(circle(centre, ringRadius)); });
    add("circle.dashed", [](SymbolCanvas& c) {
        for (int dash = 0; dash < 12; ++dash)
            c.stroke(arc(centre, ringRadius, dash * 30 + 7, 16));
    });
    add("checkmark.circle.fill", [](SymbolCanvas& c) { disc(c, check()); });
    add("checkmark.seal", [](SymbolCanvas& c) {
        c.stroke(seal());
        draw(c, check(), placing(centre, insideScale));
    });
    add("xmark", [](SymbolCanvas& c) { draw(c, xmark()); });
    add("xmark.circle", [](SymbolCanvas& c) { ring(c, xmark()); });
    add("xmark.circle.fill", [](SymbolCanvas& c) { disc(c, xmark()); });
    add("plus", [](SymbolCanvas& c) { draw(c, plus()); });
    add("minus.circle", [](SymbolCanvas& c) { ring(c, minus()); });
    add("info.circle", [](SymbolCanvas& c) { ring(c, info()); });
    add("questionmark.circle", [](SymbolCanvas& c) { ring(c, question()); });
    add("exclamationmark.circle.fill", [](SymbolCanvas& c) { disc(c, exclamation()); });
    add("ellipsis", [](SymbolCanvas& c) { draw(c, ellipsisDots()); });
    add("ellipsis.circle", [](SymbolCanvas& c) { ring(c, ellipsisDots()); });
    add("pause.fill", [](SymbolCanvas& c) {
        solid(c, roundRect({ 6.5, 4.5, 3.8, 15 }, 1));
        solid(c, roundRect({ 13.7, 4.5, 3.8, 15 }, 1));
    });
    add("pause.circle", [](SymbolCanvas& c) { ring(c, pauseBars()); });
    add("pause.circle.fill", [](SymbolCanvas& c) { disc(c, pauseBars()); });
    add("play.fill", [](SymbolCanvas& c) {
        solid(c, poly({ { 7, 4.5 }, { 19.5, 12 }, { 7, 19.5 } }, true));
    });
    add("stop.circle", [](SymbolCanvas& c) { ring(c, stopSquare()); });
    add("bolt.circle", [](SymbolCanvas& c) { ring(c, bolt()); });
    add("bolt.horizontal.circle", [](SymbolCanvas& c) { ring(c, horizontalBolt()); });
    add("bolt.horizontal.circle.fill", [](SymbolCanvas& c) { disc(c, horizontalBolt()); });
    add("person.crop.circle.badge.questionmark", [](SymbolCanvas& c) {
        c.stroke(circle(centre, ringRadius));
        SymbolCanvas figure(c.lineWidth());
        draw(figure, person());
        c.fill(figure.result().intersected(circle(centre, ringRadius)));
        badge(c, question());
    });

    // Clocks.
    add("clock", clock);
    add("clock.fill", [](SymbolCanvas& c) { disc(c, clockHands()); });
    add("clock.badge.exclamationmark", [](SymbolCanvas& c) {
        clock(c);
        badge(c, exclamation());
    });
    add("clock.badge.xmark", [](SymbolCanvas& c) {
        clock(c);
        badge(c, xmark());
    });

    // Drives, servers and networks.
    add("externaldrive", externalDrive);
    add("externaldrive.fill", [](SymbolCanvas& c) {
        solid(c, driveBody());
        knockOut(c, driveDetails(), {});
    });
    add("externaldrive.badge.plus", [](SymbolCanvas& c) {
        externalDrive(c);
        badge(c, plus());
    });
    add("externaldrive.badge.questionmark", [](SymbolCanvas& c) {
        externalDrive(c);
        badge(c, question());
    });
    add("externaldrive.badge.exclamationmark", [](SymbolCanvas& c) {
        externalDrive(c);
        badge(c, exclamation());
    });
    add("externaldrive.badge.xmark", [](SymbolCanvas& c) {
        externalDrive(c);
        badge(c, xmark());
    });
    add("externaldrive.connected.to.line.below", [](SymbolCanvas& c) {
        c.stroke(roundRect({ 3, 3, 18, 9.5 }, 2.6));
        draw(c, driveDetails(), QTransform::fromTranslate(0, -6));
        c.stroke(poly({ { 12, 12.5 }, { 12, 19.5 } }));
        c.stroke(poly({ { 3, 19.5 }, { 21, 19.5 } }));
    });
    add("server.rack", [](SymbolCanvas& c) {
        for (const qreal top : { 3.0, 9.5, 16.0 }) {
            c.stroke(roundRect({ 3, top, 18, 5 }, 1.6));
            c.fill(circle({ 6.8, top + 2.5 }, 1));
            c.stroke(poly({ { 13, top + 2.5 }, { 17.5, top + 2.5 } }));
        }
    });
    add("network", globe);
    add("network.slash", [](SymbolCanvas& c) {
        globe(c);
        const QPainterPath slash = poly({ { 3.5, 3.5 }, { 20.5, 20.5 } });
        c.cut(QPainterPathStroker(QPen(Qt::black, c.lineWidth() * 3, Qt::SolidLine, Qt::RoundCap))
                  .createStroke(slash));
        c.stroke(slash);
    });
    add("cloud", [](SymbolCanvas& c) { c.stroke(cloudShape()); });
    add("cloud.fill", [](SymbolCanvas& c) { solid(c, cloudShape()); });
    add("lock.fill", [](SymbolCanvas& c) {
        QPainterPath shackle = poly({ { 8.3, 11 }, { 8.3, 7.7 } });
        shackle.arcTo(QRectF(8.3, 4, 7.4, 7.4), 180, -180);
        shackle.lineTo(15.7, 11);
        c.stroke(shackle);
        solid(c, roundRect({ 5.5, 10.5, 13, 10 }, 2.2));
    });

    // Folders and documents.
    add("folder", folder);
    add("folder.fill", [](SymbolCanvas& c) { solid(c, folderOutline()); });
    add("folder.badge.plus", [](SymbolCanvas& c) {
        folder(c);
        badge(c, plus());
    });
    add("folder.badge.questionmark", [](SymbolCanvas& c) {
        folder(c);
        badge(c, question());
    });
    add("folder.badge.xmark", [](SymbolCanvas& c) {
        folder(c);
        badge(c, xmark());
    });
    add("folder.badge.gearshape", [](SymbolCanvas& c) {
        folder(c);
        gearBadge(c);
    });
    add("questionmark.folder", [](SymbolCanvas& c) {
        folder(c);
        draw(c, question(), placing({ 12, 15 }, 0.42));
    });
    add("doc", [](SymbolCanvas& c) { c.stroke(documentOutline({ 5.5, 2.5, 13, 19 })); });
    add("doc.on.doc", [](SymbolCanvas& c) {
        c.stroke(roundRect({ 8.5, 2.5, 11, 14 }, 2.2));
        const QRectF front(4.5, 7, 11, 14.5);
        c.cut(roundRect(front.adjusted(-1.6, -1.6, 1.6, 1.6), 3));
        c.stroke(roundRect(front, 2.2));
    });
    add("doc.text.magnifyingglass", [](SymbolCanvas& c) {
        c.stroke(documentOutline({ 4, 2.5, 13.5, 18.5 }));
        c.stroke(poly({ { 7.5, 10 }, { 13.5, 10 } }));
        c.stroke(poly({ { 7.5, 13.5 }, { 10.5, 13.5 } }));
        c.cut(circle({ 16, 16 }, 6.2));
        c.stroke(circle({ 15.5, 15.5 }, 3.4));
        c.stroke(poly({ { 18, 18 }, { 21, 21 } }));
    });
    add("tray", trayBox);

    // Shields, seals and warnings.
    add("shield", [](SymbolCanvas& c) { c.stroke(shieldOutline()); });
    add("shield.lefthalf.filled", [](SymbolCanvas& c) {
        c.stroke(shieldOutline());
        QPainterPath left;
        left.addRect(0, 0, 12, 24);
        c.fill(shieldOutline().intersected(left));
    });
    add("exclamationmark.shield", [](SymbolCanvas& c) {
        c.stroke(shieldOutline());
        draw(c, exclamation(), placing({ 12, 11.8 }, 0.5));
    });
    add("exclamationmark.shield.fill", [](SymbolCanvas& c) {
        solid(c, shieldOutline());
        knockOut(c, exclamation(), placing({ 12, 11.8 }, 0.5));
    });
    add("lock.shield", [](SymbolCanvas& c) {
        c.stroke(shieldOutline());
        QPainterPath shackle = poly({ { 10.2, 11.5 }, { 10.2, 10 } });
        shackle.arcTo(QRectF(10.2, 8.2, 3.6, 3.6), 180, -180);
        shackle.lineTo(13.8, 11.5);
        c.stroke(shackle, c.lineWidth() * 0.8);
        c.fill(roundRect({ 8.8, 11.3, 6.4, 5 }, 1));
    });
    add("exclamationmark.triangle", [](SymbolCanvas& c) {
        c.stroke(triangleOutline());
        draw(c, exclamation(), placing({ 12, 13.8 }, 0.45));
    });
    add("exclamationmark.triangle.fill", [](SymbolCanvas& c) {
        solid(c, triangleOutline());
        knockOut(c, exclamation(), placing({ 12, 13.8 }, 0.45));
    });

    // Tools and everything else.
    add("magnifyingglass", [](SymbolCanvas& c) {
        c.stroke(circle({ 10.3, 10.3 }, 6.3));
        c.stroke(poly({ { 15, 15 }, { 20.5, 20.5 } }), c.lineWidth() * 1.25);
    });
    add("gearshape", [](SymbolCanvas& c) {
        QPainterPath body = circle(centre, 6.6);
        for (int tooth = 0; tooth < 8; ++tooth) {
            const QPainterPath bar = roundRect({ 10.4, 2.8, 3.2, 5 }, 1);
            body = body.united(
                QTransform().translate(12, 12).rotate(45.0 * tooth).translate(-12, -12).map(bar));
        }
        c.stroke(body.simplified());
        c.stroke(circle(centre, 2.8));
    });
    add("pencil", [](SymbolCanvas& c) {
        const QTransform turn = QTransform().translate(12, 12).rotate(-45).translate(-12, -12);
        c.stroke(
            turn.map(poly({ { 2.5, 12 }, { 6.5, 9.6 }, { 21, 9.6 }, { 21, 14.4 }, { 6.5, 14.4 } }, true)));
        c.stroke(turn.map(poly({ { 17.5, 9.6 }, { 17.5, 14.4 } })));
    });
    add("power", [](SymbolCanvas& c) {
        c.stroke(arc({ 12, 12.8 }, 8, 60, -300));
        c.stroke(poly({ { 12, 3 }, { 12, 11 } }));
    });
    add("tag", [](SymbolCanvas& c) {
        c.stroke(poly({ { 3.5, 4.5 }, { 11, 4.5 }, { 20, 13.5 }, { 13.5, 20 }, { 3.5, 11 } }, true));
        c.stroke(circle({ 8, 9 }, 1.5));
    });
    add("terminal", [](SymbolCanvas& c) {
        c.stroke(roundRect({ 2.5, 4.5, 19, 15 }, 2.6));
        c.stroke(poly({ { 6.5, 9 }, { 9.5, 12 }, { 6.5, 15 } }));
        c.stroke(poly({ { 11.5, 15 }, { 16.5, 15 } }));
    });
    add("trash", [](SymbolCanvas& c) {
        c.stroke(poly({ { 3.5, 6 }, { 20.5, 6 } }));
        c.stroke(poly({ { 9, 6 }, { 9, 3.5 }, { 15, 3.5 }, { 15, 6 } }));
        c.stroke(poly({ { 5.5, 6 }, { 6.8, 20.5 }, { 17.2, 20.5 }, { 18.5, 6 } }));
        c.stroke(poly({ { 10, 9.5 }, { 10.3, 17 } }));
        c.stroke(poly({ { 14, 9.5 }, { 13.7, 17 } }));
    });
    add("bell", [](SymbolCanvas& c) {
        QPainterPath body;
        body.moveTo(5.5, 17);
        body.lineTo(6.5, 10.8);
        body.cubicTo(6.5, 7, 9, 4.8, 12, 4.8);
        body.cubicTo(15, 4.8, 17.5, 7, 17.5, 10.8);
        body.lineTo(18.5, 17);
        body.closeSubpath();
        c.stroke(body);
        c.stroke(poly({ { 3.8, 17 }, { 20.2, 17 } }));
        c.stroke(arc({ 12, 18.5 }, 2.3, 200, 140));
        c.stroke(poly({ { 12, 2.8 }, { 12, 4.8 } }));
    });
    add("line.3.horizontal.decrease", [](SymbolCanvas& c) {
        c.stroke(poly({ { 3.5, 7 }, { 20.5, 7 } }));
        c.stroke(poly({ { 6.5, 12 }, { 17.5, 12 } }));
        c.stroke(poly({ { 9.5, 17 }, { 14.5, 17 } }));
    });
    add("rectangle.grid.2x2", [](SymbolCanvas& c) {
        for (const QPointF corner : { QPointF(3, 5), QPointF(13, 5), QPointF(3, 13), QPointF(13, 13) })
            c.stroke(roundRect({ corner, QSizeF(8, 6) }, 1.6));
    });
    add("square.grid.2x2", [](SymbolCanvas& c) {
        for (const QPointF corner :
            { QPointF(3.5, 3.5), QPointF(13.5, 3.5), QPointF(3.5, 13.5), QPointF(13.5, 13.5) })
            c.stroke(roundRect({ corner, QSizeF(7, 7) }, 1.8));
    });
    add("rectangle.on.rectangle.angled", [](SymbolCanvas& c) {
        const QTransform tilt = QTransform().translate(13, 9).rotate(-14).translate(-13, -9);
        c.stroke(tilt.map(roundRect({ 6.5, 4, 14, 9.5 }, 1.8)));
        const QRectF front(3, 10, 14, 9.5);
        c.cut(roundRect(front.adjusted(-1.6, -1.6, 1.6, 1.6), 3));
        c.stroke(roundRect(front, 1.8));
    });
    add("sidebar.right", [](SymbolCanvas& c) {
        c.stroke(roundRect({ 2.5, 4.5, 19, 15 }, 2.6));
        c.stroke(poly({ { 14.5, 4.5 }, { 14.5, 19.5 } }));
        c.stroke(poly({ { 17, 8.3 }, { 19, 8.3 } }));
        c.stroke(poly({ { 17, 11.3 }, { 19, 11.3 } }));
    });
    add("wrench.and.screwdriver", [](SymbolCanvas& c) {
        // The screwdriver runs from the upper left to the lower right, the wrench the other way across it.
        c.stroke(poly({ { 4.5, 4.5 }, { 12.5, 12.5 } }));
        c.stroke(poly({ { 14.5, 14.5 }, { 19, 19 } }), c.lineWidth() * 2.2);
        c.cut(QPainterPathStroker(QPen(Qt::black, c.lineWidth() * 3))
                  .createStroke(poly({ { 16.5, 7.5 }, { 5.5, 18.5 } })));
        c.stroke(poly({ { 15.8, 8.2 }, { 5.5, 18.5 } }));
        SymbolCanvas head(c.lineWidth());
        head.stroke(circle({ 17.6, 6.4 }, 3.4));
        head.cut(QTransform()
                     .translate(17.6, 6.4)
                     .rotate(45)
                     .translate(-17.6, -6.4)
                     .map(roundRect({ 16.3, 0, 2.6, 6.2 }, 0.5)));
        c.fill(head.result());
    });
    return d;
}

} // namespace

const QHash<QString, SymbolDrawing>& symbolDrawings()
{
    static const QHash<QString, SymbolDrawing> drawings = makeDrawings();
    return drawings;
}

} // namespace mv::detail
