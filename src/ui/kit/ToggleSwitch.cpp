#include "ui/kit/ToggleSwitch.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

ToggleSwitch::ToggleSwitch(Kind kind, bool on, const QString& name, QWidget* parent)
    : QAbstractButton(parent)
    , m_kind(kind)
{
    setCheckable(true);
    setChecked(on);
    setAccessibleName(name);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
}

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool outlined = m_kind == Kind::outlined;
    if (outlined)
        painter.setOpacity(isEnabled() ? 1.0 : 0.45);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    const PaletteColor off = outlined ? Palette::well : Palette::labelTertiary.opacity(0.5);
    painter.setPen(outlined ? QPen(Palette::hairlineStrong.resolve(this), 1) : QPen(Qt::NoPen));
    painter.setBrush((isChecked() ? Palette::accent : off).resolve(this));
    painter.drawRoundedRect(track, radius, radius);

    const qreal knob = track.height() - 3;
    const qreal x = isChecked() ? track.right() - 1.5 - knob : track.left() + 1.5;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 1.5, knob, knob));
}

} // namespace mv
