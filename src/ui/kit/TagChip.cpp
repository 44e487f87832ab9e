#include "ui/kit/TagChip.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/TypeScale.h"

#include <QPainter>

#include <cmath>

namespace mv {

namespace {
constexpr qreal spacing = 4;
constexpr qreal symbolSize = 11;
constexpr qreal sidePadding = 6;
constexpr qreal verticalPadding = 2.5;
constexpr qreal cornerRadius = 6;
} // namespace

TagChip::TagChip(const QString& text, std::optional<QString> symbol, PaletteColor color, QWidget* parent)
    : QWidget(parent)
    , m_symbol(std::move(symbol))
    , m_color(std::move(color))
{
    installKitAccessibility();
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    setText(text);
}

void TagChip::setText(const QString& text)
{
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QFont TagChip::textFont() const
{
    return kitFont(12, QFont::Medium);
}

qreal TagChip::leadWidth() const
{
    return sidePadding + (m_symbol ? symbolSize + spacing : 0);
}

QString TagChip::visibleText() const
{
    return QFontMetrics(textFont())
        .elidedText(m_text, Qt::ElideRight, int(width() - leadWidth() - sidePadding));
}

QSize TagChip::sizeHint() const
{
    const QFontMetricsF metrics(textFont());
    return { int(std::ceil(leadWidth() + metrics.horizontalAdvance(m_text) + sidePadding)),
        int(std::ceil(metrics.height() + 2 * verticalPadding)) };
}

QSize TagChip::minimumSizeHint() const
{
    const QFontMetricsF metrics(textFont());
    return { int(std::ceil(leadWidth() + metrics.horizontalAdvance(QStringLiteral("…")) + sidePadding)),
        sizeHint().height() };
}

void TagChip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::well.resolve(this));
    painter.drawPath(continuousRoundedRect(frame, cornerRadius));

    const QColor ink = m_color.resolve(this);
    if (m_symbol)
        IconLibrary::paint(painter,
            IconLibrary::textSizedBox({ sidePadding + symbolSize / 2, frame.center().y() }, symbolSize),
            *m_symbol, ink, SymbolWeight::semibold);
    painter.setFont(textFont());
    painter.setPen(ink);
    const qreal x = leadWidth();
    painter.drawText(
        QRectF(x, 0, frame.width() - x, frame.height()), Qt::AlignLeft | Qt::AlignVCenter, visibleText());
}

} // namespace mv
