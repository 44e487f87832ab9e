#include "shell/Hairline.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

Hairline::Hairline(QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Hairline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(0, 0, width(), 0.5), Palette::hairline.resolve(this));
}

} // namespace mv
