#include "ui/kit/AccentTextButton.h"

#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"

#include <QPainter>

#include <cmath>

namespace mv {

AccentTextButton::AccentTextButton(
    const QString& title, qreal leadingPadding, std::function<void()> action, QWidget* parent)
    : KitButton(std::move(action), false, parent)
    , m_leadingPadding(leadingPadding)
{
    setText(title);
    setAccessibleName(title);
    setFont(kitFont(12, QFont::Medium));
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize AccentTextButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(m_leadingPadding + metrics.horizontalAdvance(text()))),
        int(std::ceil(metrics.height())) };
}

void AccentTextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QColor colour = Palette::accent.resolve(this);
    if (isDown())
        colour.setAlphaF(colour.alphaF() * 0.6);
    painter.setPen(colour);
    painter.setFont(font());
    painter.drawText(
        QRectF(rect()).adjusted(m_leadingPadding, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace mv
