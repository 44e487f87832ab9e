#include "ui/dashboard/SummaryMetricCard.h"

#include "ui/dashboard/SymbolBadge.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/TypeScale.h"

#include <QFontMetricsF>
#include <QVBoxLayout>

namespace mv {

namespace {

constexpr int valueSize = 22;
constexpr qreal smallestScale = 0.7;
constexpr int margin = 13;

QFont valueFont(int pixelSize)
{
    return kitFont(pixelSize, QFont::DemiBold);
}

} // namespace

SummaryMetricCard::SummaryMetricCard(
    const QString& label, const QString& value, const QString& symbol, PaletteColor tint, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_badge(new SymbolBadge(SymbolBadge::Shape::roundedSquare, 24, 13, SymbolWeight::semibold, this))
    , m_value(new ElidedLabel(value, valueFont(valueSize), Palette::label, Qt::ElideRight, this))
    , m_label(new ElidedLabel(label, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this))
{
    m_badge->setSymbol(symbol, tint, false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(8);
    column->addWidget(m_badge, 0, Qt::AlignLeft);
    column->addWidget(m_value);
    column->addWidget(m_label);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(label + QStringLiteral(", ") + value);
}

void SummaryMetricCard::setValue(const QString& value, PaletteColor tint)
{
    m_value->setText(value);
    m_badge->setSymbol(m_badge->symbol(), tint, false);
    setAccessibleName(label() + QStringLiteral(", ") + value);
    fitValue();
}

QString SummaryMetricCard::label() const
{
    return m_label->text();
}

QString SummaryMetricCard::value() const
{
    return m_value->text();
}

PaletteColor SummaryMetricCard::tint() const
{
    return m_badge->color();
}

int SummaryMetricCard::valuePixelSize() const
{
    return m_value->font().pixelSize();
}

void SummaryMetricCard::resizeEvent(QResizeEvent* event)
{
    CardSurface::resizeEvent(event);
    fitValue();
}

void SummaryMetricCard::fitValue()
{
    const qreal room = width() - 2 * margin;
    const int smallest = int(std::ceil(valueSize * smallestScale));
    int size = valueSize;
    while (size > smallest && QFontMetricsF(valueFont(size)).horizontalAdvance(m_value->text()) > room)
        --size;
    // Only the drawn size changes; the row keeps the height of the full-size figure.
    if (m_value->font().pixelSize() != size)
        m_value->setFont(valueFont(size));
    m_value->setMinimumHeight(QFontMetrics(valueFont(valueSize)).height());
}

} // namespace mv
