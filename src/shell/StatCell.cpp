#include "shell/StatCell.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Motion.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"

#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace mv {

namespace {
constexpr int valueSize = 18;
constexpr qreal smallestScale = 0.75;

QFont valueFont(int pixelSize)
{
    return kitFont(pixelSize, QFont::DemiBold);
}
} // namespace

StatCell::StatCell(
    const QString& label, const QString& value, PaletteColor tint, Qt::Alignment alignment, QWidget* parent)
    : QWidget(parent)
    , m_caption(new TextLabel(
          label.toUpper(), tracked(kitFont(11, QFont::DemiBold), 0.5), Palette::labelTertiary, this))
    , m_value(new ElidedLabel(value, valueFont(valueSize), tint, Qt::ElideRight, this))
{
    // Leading cells let the value take the whole width; a centred one keeps it at its own width.
    const Qt::Alignment horizontal = alignment & Qt::AlignHCenter ? Qt::AlignHCenter : Qt::Alignment();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addWidget(m_caption, 0, horizontal);
    layout->addWidget(m_value, 0, horizontal);
    m_value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    // Equal shares of a row, whatever the values' lengths.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString StatCell::caption() const
{
    return m_caption->text();
}

QString StatCell::value() const
{
    return m_value->text();
}

void StatCell::setValue(const QString& value)
{
    if (value == m_value->text())
        return;
    m_value->setText(value);
    fitValue();
    // A new figure on screen comes in as a content transition, not as a jump.
    if (isVisible())
        Motion::fadeIn(*m_value, Motion::quick());
}

void StatCell::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitValue();
}

void StatCell::fitValue()
{
    const qreal whole = QFontMetricsF(valueFont(valueSize)).horizontalAdvance(m_value->text());
    const qreal scale = whole > 0 ? std::clamp(width() / whole, smallestScale, 1.0) : 1.0;
    m_value->setFont(valueFont(int(std::floor(valueSize * scale))));
}

} // namespace mv
