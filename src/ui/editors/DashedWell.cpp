#include "ui/editors/DashedWell.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

namespace {
constexpr qreal radius = 10;
} // namespace

DashedWell::DashedWell(QWidget* parent)
    : QWidget(parent)
{
}

void DashedWell::setTargeted(bool targeted)
{
    m_targeted = targeted;
    update();
}

void DashedWell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush((m_targeted ? Palette::accent.opacity(0.06) : Palette::well.opacity(0.5)).resolve(this));
    painter.drawPath(continuousRoundedRect(rect(), radius));
    QPen dash((m_targeted ? Palette::accent : Palette::hairlineStrong).resolve(this), 1);
    dash.setDashPattern({ 5, 4 });
    painter.setPen(dash);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5));
}

} // namespace mv
