#include "ui/kit/AppMark.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/Palette.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace mv {

AppMark::AppMark(qreal size, QWidget* parent)
    : QWidget(parent)
    , m_size(size)
{
    installKitAccessibility();
    const int side = int(std::ceil(size));
    setFixedSize(side, side);
}

qreal AppMark::cornerRadius() const
{
    return m_size * 0.25;
}

qreal AppMark::glyphSize() const
{
    return m_size * 0.46;
}

void AppMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0, 0, m_size, m_size);
    QLinearGradient gradient(tile.topLeft(), tile.bottomRight());
    gradient.setColorAt(0, Palette::brandTop.resolve(this));
    gradient.setColorAt(1, Palette::brandBottom.resolve(this));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawPath(continuousRoundedRect(tile, cornerRadius()));

    const QString glyph = QStringLiteral("arrow.triangle.2.circlepath");
    const QRectF box = IconLibrary::textSizedBox(tile.center(), glyphSize());
    // A faint shadow half a pixel below lifts the glyph off the gradient.
    IconLibrary::paint(
        painter, box.translated(0, 0.5), glyph, QColor::fromRgbF(0, 0, 0, 0.18f), SymbolWeight::semibold);
    IconLibrary::paint(painter, box, glyph, Qt::white, SymbolWeight::semibold);
    strokeInside(painter, tile, cornerRadius(), QColor::fromRgbF(1, 1, 1, 0.22f));
}

} // namespace mv
