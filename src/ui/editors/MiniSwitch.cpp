#include "ui/editors/MiniSwitch.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

MiniSwitch::MiniSwitch(bool on, const QString& name, QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setChecked(on);
    setAccessibleName(name);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

void MiniSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush((isChecked() ? Palette::accent : Palette::labelTertiary.opacity(0.5)).resolve(this));
    painter.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 3;
    const qreal x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
}

} // namespace mv
