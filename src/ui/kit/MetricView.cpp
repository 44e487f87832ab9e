#include "ui/kit/MetricView.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/Motion.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace mv {

namespace {

struct Metrics {
    int valueSize;
    qreal smallestScale;
    int margin;
};

Metrics metrics(MetricView::Style style)
{
    return style == MetricView::Style::strip ? Metrics { 18, 0.75, 0 } : Metrics { 22, 0.7, 13 };
}

constexpr qreal cardRadius = 10;

QFont valueFont(int pixelSize)
{
    return kitFont(pixelSize, QFont::DemiBold);
}

} // namespace

MetricView::MetricView(
    Style style, const QString& label, std::optional<QString> symbol, PaletteColor tint, QWidget* parent)
    : QWidget(parent)
    , m_style(style)
    , m_tint(tint)
    , m_label(style == Style::strip ? label.toUpper() : label)
    , m_value(new ElidedLabel(QString(), valueFont(metrics(style).valueSize),
          style == Style::strip ? tint : Palette::label, Qt::ElideRight, this))
{
    installKitAccessibility();
    const int margin = metrics(style).margin;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    if (style == Style::strip) {
        column->setSpacing(3);
        column->addWidget(
            new TextLabel(m_label, tracked(kitFont(11, QFont::DemiBold), 0.5), Palette::labelTertiary, this));
        column->addWidget(m_value);
        m_value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    } else {
        m_badge = new SymbolBadge(SymbolBadge::Shape::roundedSquare, 24, 13, SymbolWeight::semibold, this);
        m_badge->setSymbol(symbol.value_or(QString()), tint, false);
        column->setSpacing(8);
        column->addWidget(m_badge, 0, Qt::AlignLeft);
        column->addWidget(m_value);
        column->addWidget(
            new ElidedLabel(m_label, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    setValue(QString());
}

QString MetricView::label() const
{
    return m_label;
}

QString MetricView::value() const
{
    return m_value->text();
}

void MetricView::setValue(const QString& value)
{
    if (value == m_value->text() && !value.isEmpty())
        return;
    m_value->setText(value);
    // A new figure of the panel's strip comes in as a content transition, not as a jump.
    if (m_style == Style::strip && isVisible())
        Motion::fadeIn(*m_value, Motion::quick());
    // A card is read as one; the strip names its cells together.
    if (m_style == Style::card)
        setAccessibleName(m_label + QStringLiteral(", ") + value);
    fitValue();
}

void MetricView::setTint(PaletteColor tint)
{
    m_tint = tint;
    if (m_badge)
        m_badge->setSymbol(m_badge->symbol(), tint, false);
    else
        m_value->setColor(tint);
}

void MetricView::setValue(const QString& value, PaletteColor tint)
{
    setTint(std::move(tint));
    setValue(value);
}

int MetricView::valuePixelSize() const
{
    return m_value->font().pixelSize();
}

QColor MetricView::fillColor() const
{
    return m_style == Style::card ? Palette::card.resolve(this) : QColor(Qt::transparent);
}

void MetricView::paintEvent(QPaintEvent*)
{
    if (m_style != Style::card)
        return;
    QPainter painter(this);
    paintSurface(painter, rect(), cardRadius, fillColor(), Palette::hairline.resolve(this));
}

void MetricView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitValue();
}

void MetricView::fitValue()
{
    const Metrics m = metrics(m_style);
    const qreal room = width() - 2 * m.margin;
    const int smallest = int(std::ceil(m.valueSize * m.smallestScale));
    int size = m.valueSize;
    while (size > smallest && QFontMetricsF(valueFont(size)).horizontalAdvance(m_value->text()) > room)
        --size;
    // Only the drawn size changes; the row keeps the height of the full-size figure.
    if (m_value->font().pixelSize() != size)
        m_value->setFont(valueFont(size));
    m_value->setMinimumHeight(QFontMetrics(valueFont(m.valueSize)).height());
}

} // namespace mv
