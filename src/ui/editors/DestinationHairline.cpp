#include "ui/editors/DestinationHairline.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

DestinationHairline::DestinationHairline(QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void DestinationHairline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRectF(0, 0.5, width(), 0.5), Palette::hairline.resolve(this));
}

} // namespace mv
