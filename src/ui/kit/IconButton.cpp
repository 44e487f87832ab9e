#include "ui/kit/IconButton.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"

#include <QPainter>

#include <cmath>

namespace mv {

namespace {
constexpr qreal glyphFactor = 0.46;
constexpr qreal cornerRadius = 6;
} // namespace

IconButton::IconButton(const QString& symbol, const QString& help, bool isActive,
    std::optional<PaletteColor> tint, qreal size, std::function<void()> action, QWidget* parent)
    : KitButton(std::move(action), false, parent)
    , m_symbol(symbol)
    , m_active(isActive)
    , m_tint(std::move(tint))
    , m_size(size)
{
    setHelp(help);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFixedSize(sizeHint());
}

void IconButton::setSymbol(const QString& symbol)
{
    m_symbol = symbol;
    update();
}

void IconButton::setHelp(const QString& help)
{
    setToolTip(help);
    setAccessibleName(help);
}

void IconButton::setActive(bool active)
{
    m_active = active;
    update();
}

void IconButton::setTint(std::optional<PaletteColor> tint)
{
    m_tint = std::move(tint);
    update();
}

QSize IconButton::sizeHint() const
{
    const int side = int(std::ceil(m_size));
    return { side, side };
}

void IconButton::setGlyph(qreal size, SymbolWeight weight)
{
    m_glyphSize = size;
    m_weight = weight;
    update();
}

qreal IconButton::glyphSize() const
{
    return m_glyphSize.value_or(m_size * glyphFactor);
}

QRectF IconButton::glyphRect() const
{
    return IconLibrary::textSizedBox(QRectF(rect()).center(), glyphSize());
}

QColor IconButton::glyphColor() const
{
    if (m_tint)
        return m_tint->resolve(this);
    return (m_active ? Palette::accent : Palette::labelSecondary).resolve(this);
}

void IconButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    pressStyle().apply(painter);
    if (hovering()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::well.resolve(this));
        painter.drawPath(continuousRoundedRect(rect(), cornerRadius));
    }
    IconLibrary::paint(painter, glyphRect(), m_symbol, glyphColor(), m_weight);
}

} // namespace mv
