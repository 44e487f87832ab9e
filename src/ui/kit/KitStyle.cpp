#include "ui/kit/KitStyle.h"

#include "ui/kit/Palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOption>

#include <algorithm>

namespace mv {

namespace {

void paintTickBox(const QStyleOption& option, QPainter& painter)
{
    const qreal side = std::min(option.rect.width(), option.rect.height());
    const QRectF box = QRectF(QPointF(0, 0), QSizeF(side, side))
                           .translated(QRectF(option.rect).center() - QPointF(side / 2, side / 2));
    // A 1 px line lies on pixel centres when drawn half a pixel inside the box.
    const QRectF edge = box.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = side * 0.22;
    const bool ticked = option.state & (QStyle::State_On | QStyle::State_NoChange);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!(option.state & QStyle::State_Enabled))
        painter.setOpacity(0.5);
    if (ticked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::color(PaletteRole::accent, option.palette));
        painter.drawRoundedRect(box, radius, radius);
        QPen mark(Palette::color(PaletteRole::onAccent, option.palette), side / 7);
        mark.setCapStyle(Qt::RoundCap);
        mark.setJoinStyle(Qt::RoundJoin);
        painter.setPen(mark);
        QPainterPath glyph;
        if (option.state & QStyle::State_NoChange) {
            glyph.moveTo(box.left() + side * 0.28, box.center().y());
            glyph.lineTo(box.right() - side * 0.28, box.center().y());
        } else {
            glyph.moveTo(box.left() + side * 0.26, box.top() + side * 0.52);
            glyph.lineTo(box.left() + side * 0.43, box.top() + side * 0.69);
            glyph.lineTo(box.left() + side * 0.75, box.top() + side * 0.32);
        }
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(glyph);
    } else {
        painter.setPen(QPen(Palette::color(PaletteRole::hairlineStrong, option.palette), 1));
        painter.setBrush(Palette::color(PaletteRole::well, option.palette));
        painter.drawRoundedRect(edge, radius, radius);
    }
    painter.restore();
}

} // namespace

KitStyle::KitStyle() = default;

void KitStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    if (element == PE_IndicatorCheckBox || element == PE_IndicatorItemViewItemCheck) {
        paintTickBox(*option, *painter);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace mv
