#include "ui/kit/CountCapsule.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"

#include <QPainter>

#include <cmath>

namespace mv {

CountCapsule::CountCapsule(qint64 count, QWidget* parent)
    : QWidget(parent)
{
    installKitAccessibility();
    setFont(kitFont(11, QFont::DemiBold));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCount(count);
}

void CountCapsule::setCount(qint64 count)
{
    m_count = count;
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString CountCapsule::text() const
{
    return QString::number(m_count);
}

QSize CountCapsule::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(text()) + 10)), int(std::ceil(metrics.height() + 2)) };
}

void CountCapsule::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::well.resolve(this));
    painter.drawPath(continuousRoundedRect(rect(), height() / 2.0));
    painter.setPen(Palette::labelSecondary.resolve(this));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace mv
