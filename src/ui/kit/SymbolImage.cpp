#include "ui/kit/SymbolImage.h"

#include "ui/kit/KitAccessibility.h"

#include <QPainter>

#include <cmath>

namespace mv {

SymbolImage::SymbolImage(
    const QString& symbol, qreal pixelSize, SymbolWeight weight, PaletteColor color, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_pixelSize(pixelSize)
    , m_weight(weight)
    , m_color(std::move(color))
{
    installKitAccessibility();
    setFixedSize(sizeHint());
}

void SymbolImage::setSymbol(const QString& symbol)
{
    m_symbol = symbol;
    update();
}

void SymbolImage::setColor(PaletteColor color)
{
    m_color = std::move(color);
    update();
}

QSize SymbolImage::sizeHint() const
{
    const int side = int(std::ceil(IconLibrary::textSizedBox({}, m_pixelSize).width()));
    return { side, side };
}

void SymbolImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    IconLibrary::paint(painter, IconLibrary::textSizedBox(QRectF(rect()).center(), m_pixelSize), m_symbol,
        m_color.resolve(this), m_weight);
}

} // namespace mv
