#include "ui/kit/StatusChip.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/TypeScale.h"

#include <QPainter>

#include <cmath>

namespace mv {

namespace {
constexpr qreal dotSize = 5;
constexpr qreal spacing = 5;
constexpr qreal symbolSize = 11;
constexpr qreal sidePadding = 7;
constexpr qreal verticalPadding = 3;
constexpr qreal capsuleOpacity = 0.12;
} // namespace

StatusChip::StatusChip(
    const QString& text, PaletteColor color, std::optional<QString> symbol, bool pulsing, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
    , m_color(color)
    , m_symbol(std::move(symbol))
    , m_dot(new StatusDot(color, pulsing, dotSize, this))
{
    installKitAccessibility();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
    placeDot();
}

void StatusChip::setStatus(
    const QString& text, PaletteColor color, std::optional<QString> symbol, bool pulsing)
{
    m_text = text;
    m_color = color;
    m_symbol = std::move(symbol);
    m_dot->setColor(color);
    m_dot->setPulsing(pulsing);
    setAccessibleName(text);
    updateGeometry();
    update();
}

QFont StatusChip::textFont() const
{
    return kitFont(12, QFont::Medium);
}

QSize StatusChip::sizeHint() const
{
    const QFontMetricsF metrics(textFont());
    const qreal width = sidePadding + dotSize + spacing + (m_symbol ? symbolSize + spacing : 0)
        + metrics.horizontalAdvance(m_text) + sidePadding;
    return { int(std::ceil(width)), int(std::ceil(metrics.height() + 2 * verticalPadding)) };
}

void StatusChip::resizeEvent(QResizeEvent* event)
{
    placeDot();
    QWidget::resizeEvent(event);
}

void StatusChip::placeDot()
{
    m_dot->move(int(sidePadding), (height() - m_dot->height()) / 2);
}

void StatusChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color.opacity(capsuleOpacity).resolve(this));
    painter.drawPath(continuousRoundedRect(frame, frame.height() / 2));

    const QColor ink = m_color.resolve(this);
    qreal x = sidePadding + dotSize + spacing;
    if (m_symbol) {
        IconLibrary::paint(painter,
            IconLibrary::textSizedBox({ x + symbolSize / 2, frame.center().y() }, symbolSize), *m_symbol, ink,
            SymbolWeight::semibold);
        x += symbolSize + spacing;
    }
    painter.setFont(textFont());
    painter.setPen(ink);
    painter.drawText(
        QRectF(x, 0, frame.width() - x, frame.height()), Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

} // namespace mv
