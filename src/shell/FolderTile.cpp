#include "shell/FolderTile.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"

#include <QPainter>

namespace mv {

FolderTile::FolderTile(const QString& symbol, PaletteColor tint, QWidget* parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_tint(tint)
{
    setFixedSize(sizeHint());
}

void FolderTile::setLook(const QString& symbol, PaletteColor tint)
{
    m_symbol = symbol;
    m_tint = tint;
    update();
}

void FolderTile::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_tint.opacity(0.12).resolve(this));
    painter.drawPath(continuousRoundedRect(rect(), 8));
    IconLibrary::paint(painter, IconLibrary::textSizedBox(QRectF(rect()).center(), 16), m_symbol,
        m_tint.resolve(this), SymbolWeight::medium);
}

} // namespace mv
