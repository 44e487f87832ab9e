#include "ui/editors/DestinationKindTile.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

DestinationKindTile::DestinationKindTile(const QString& symbol, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
{
    setFixedSize(28, 28);
}

void DestinationKindTile::setSymbol(const QString& symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

void DestinationKindTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Palette::accent.opacity(0.12).resolve(this));
    painter.drawPath(continuousRoundedRect(rect(), 7));
    IconLibrary::paint(painter, IconLibrary::textSizedBox(QRectF(rect()).center(), 15), m_symbol,
        Palette::accent.resolve(this));
}

} // namespace mv
