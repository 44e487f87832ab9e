#include "ui/kit/ElidedLabel.h"

#include "ui/kit/KitAccessibility.h"

#include <QPainter>

#include <cmath>

namespace mv {

ElidedLabel::ElidedLabel(
    const QString& text, const QFont& font, PaletteColor color, Qt::TextElideMode mode, QWidget* parent)
    : QWidget(parent)
    , m_color(std::move(color))
    , m_mode(mode)
{
    installKitAccessibility();
    setFont(font);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setText(text);
}

void ElidedLabel::setText(const QString& text)
{
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void ElidedLabel::setColor(PaletteColor color)
{
    m_color = std::move(color);
    update();
}

QString ElidedLabel::elidedText() const
{
    return fontMetrics().elidedText(m_text, m_mode, width());
}

QSize ElidedLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(m_text))), int(std::ceil(metrics.height())) };
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QFontMetricsF metrics(font());
    return { int(std::ceil(metrics.horizontalAdvance(QStringLiteral("…")))),
        int(std::ceil(metrics.height())) };
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_color.resolve(this));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, elidedText());
}

} // namespace mv
