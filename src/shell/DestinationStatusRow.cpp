#include "shell/DestinationStatusRow.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/shared/DestinationRowPresentation.h"
#include "ui/models/shared/StatusBoard.h"

#include <QHBoxLayout>

namespace mv {

DestinationStatusRow::DestinationStatusRow(
    StatusBoard& status, const BackupJob& job, const BackupDestination& destination, QWidget* parent)
    : QWidget(parent)
    , m_board(status)
    , m_dot(new StatusDot(Palette::idle, false, 6, this))
    , m_kind(new SymbolImage({}, 12, SymbolWeight::medium, Palette::labelTertiary, this))
    , m_name(new ElidedLabel({}, kitFont(13, QFont::Medium), Palette::label, Qt::ElideRight, this))
    , m_status(new ElidedLabel({}, kitFont(12), Palette::idle, Qt::ElideRight, this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_dot, 0, Qt::AlignVCenter);
    layout->addWidget(m_kind, 0, Qt::AlignVCenter);
    layout->addWidget(m_name, 0, Qt::AlignVCenter);
    layout->addWidget(new TextLabel(QStringLiteral("\u00b7"), kitFont(12), Palette::labelTertiary, this), 0,
        Qt::AlignVCenter);
    layout->addWidget(m_status, 0, Qt::AlignVCenter);
    layout->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    refresh(job, destination);
}

void DestinationStatusRow::refresh(const BackupJob& job, const BackupDestination& destination)
{
    const DestinationDisplayStatus status = m_board.destinationStatus(job.id, destination.id);
    m_dot->setColor(status.color);
    m_dot->setPulsing(status.pulsing);
    m_kind->setSymbol(DestinationRowPresentation::kindSymbol(destination.kind));
    m_name->setText(destination.name);
    m_status->setText(status.text);
    m_status->setColor(status.color);
    setToolTip(DestinationRowPresentation::toolTip(destination, status));
    setAccessibleName(DestinationRowPresentation::accessibleName(destination, status));
}

QString DestinationStatusRow::statusText() const
{
    return m_status->text();
}

} // namespace mv
