#include "ui/settings/SettingSwitch.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

SettingSwitch::SettingSwitch(const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(accessibleName);
}

void SettingSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isEnabled() ? 1.0 : 0.45);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    painter.setPen(QPen(Palette::hairlineStrong.resolve(this), 1));
    painter.setBrush(isChecked() ? Palette::accent.resolve(this) : Palette::well.resolve(this));
    painter.drawRoundedRect(track, radius, radius);

    const qreal knob = track.height() - 3;
    const qreal x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
}

} // namespace mv
