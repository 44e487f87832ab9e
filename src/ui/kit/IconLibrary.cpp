#include "ui/kit/IconLibrary.h"

#include "ui/kit/SymbolDrawing.h"

#include <QColor>
#include <QHash>
#include <QMutex>
#include <QPainter>

#include <algorithm>

namespace mv {

namespace {

constexpr qreal grid = 24;

qreal lineWidth(SymbolWeight weight)
{
    switch (weight) {
    case SymbolWeight::light:
        return 1.3;
    case SymbolWeight::regular:
        return 1.7;
    case SymbolWeight::medium:
        return 1.9;
    case SymbolWeight::semibold:
        return 2.15;
    }
    return 1.7;
}

QPainterPath missingSymbol(qreal width)
{
    detail::SymbolCanvas canvas(width);
    for (int side = 0; side < 4; ++side) {
        for (int dash = 0; dash < 3; ++dash) {
            const qreal from = 4 + dash * 6;
            QPainterPath line;
            const QPointF start = side == 0 ? QPointF(from, 4)
                : side == 1                 ? QPointF(20, from)
                : side == 2                 ? QPointF(from, 20)
                                            : QPointF(4, from);
            const QPointF end = side % 2 == 0 ? start + QPointF(3, 0) : start + QPointF(0, 3);
            line.moveTo(start);
            line.lineTo(end);
            canvas.stroke(line);
        }
    }
    return canvas.result();
}

} // namespace

const QStringList& IconLibrary::names()
{
    static const QStringList sorted = [] {
        QStringList all = detail::symbolDrawings().keys();
        std::sort(all.begin(), all.end());
        return all;
    }();
    return sorted;
}

bool IconLibrary::contains(const QString& name)
{
    return detail::symbolDrawings().contains(name);
}

QPainterPath IconLibrary::outline(const QString& name, SymbolWeight weight)
{
    // Outlines are built once per name and weight; painting only scales them.
    static QMutex mutex;
    static QHash<QString, QPainterPath> cache;
    const QString key = name + QLatin1Char('@') + QString::number(int(weight));
    const QMutexLocker lock(&mutex);
    if (const auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    const auto drawing = detail::symbolDrawings().constFind(name);
    QPainterPath path;
    if (drawing == detail::symbolDrawings().constEnd()) {
        path = missingSymbol(lineWidth(weight));
    } else {
        detail::SymbolCanvas canvas(lineWidth(weight));
        (*drawing)(canvas);
        path = canvas.result();
    }
    cache.insert(key, path);
    return path;
}

QRectF IconLibrary::textSizedBox(const QPointF& centre, qreal pixelSize)
{
    const qreal side = pixelSize * 1.2;
    return { centre.x() - side / 2, centre.y() - side / 2, side, side };
}

void IconLibrary::paint(
    QPainter& painter, const QRectF& box, const QString& name, const QColor& colour, SymbolWeight weight)
{
    const qreal side = std::min(box.width(), box.height());
    if (side <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center() - QPointF(side / 2, side / 2));
    painter.scale(side / grid, side / grid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(outline(name, weight));
    painter.restore();
}

} // namespace mv
