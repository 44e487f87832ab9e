#include "ui/editors/DestinationPathBox.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/WellSurface.h"

#include <QHBoxLayout>
#include <QPainter>

namespace mv {

namespace {
constexpr qreal cornerRadius = 6;
} // namespace

DestinationPathBox::DestinationPathBox(QWidget* parent)
    : QWidget(parent)
    , m_label(new ElidedLabel(QString(), kitFont(13), Palette::label, Qt::ElideMiddle, this))
{
    setFixedHeight(27);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 0, 8, 0);
    row->setSpacing(6);
    row->addWidget(
        new SymbolImage(QStringLiteral("folder"), 13, SymbolWeight::regular, Palette::labelTertiary));
    row->addWidget(m_label, 1);
    setPath(QString());
}

void DestinationPathBox::setPath(const QString& path)
{
    m_label->setText(path.isEmpty() ? QStringLiteral("No folder chosen") : path);
    m_label->setColor(path.isEmpty() ? Palette::labelTertiary : Palette::label);
    setToolTip(path);
}

void DestinationPathBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintWell(painter, rect(), cornerRadius, this, WellEdge::hairline);
}

} // namespace mv
