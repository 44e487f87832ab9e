#include "ui/dashboard/SidebarRow.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/IconLibrary.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TypeScale.h"

#include <QKeyEvent>
#include <QPainter>

namespace mv {

namespace {

constexpr int rowHeight = 32;
constexpr qreal symbolSize = 16;
constexpr int inset = 8;

} // namespace

SidebarRow::SidebarRow(DashboardSection section, QWidget* parent)
    : QAbstractButton(parent)
    , m_section(section)
{
    setCheckable(true);
    setAutoExclusive(true);
    setText(sectionTitle(section));
    setFont(kitFont(13));
    setFocusPolicy(Qt::TabFocus);
    setObjectName(QStringLiteral("sidebar-") + sectionName(section));
}

QSize SidebarRow::sizeHint() const
{
    return { 180, rowHeight };
}

void SidebarRow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SidebarRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(inset, 1, -inset, -1);
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::accent.opacity(0.16).resolve(this));
        painter.drawPath(continuousRoundedRect(area, 6));
    }
    const QColor symbolColour = (isChecked() ? Palette::accent : Palette::labelSecondary).resolve(this);
    const QPointF symbolCentre(area.left() + 8 + symbolSize * 0.6, area.center().y());
    IconLibrary::paint(
        painter, IconLibrary::textSizedBox(symbolCentre, symbolSize), sectionSymbol(m_section), symbolColour);
    painter.setPen(Palette::label.resolve(this));
    painter.setFont(font());
    const QRectF textArea = area.adjusted(8 + symbolSize * 1.2 + 8, 0, -8, 0);
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
        fontMetrics().elidedText(text(), Qt::ElideRight, int(textArea.width())));
}

} // namespace mv
