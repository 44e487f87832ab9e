#include "ui/dashboard/OverviewJobRow.h"

#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/StatusDot.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardTexts.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace mv {

OverviewJobRow::OverviewJobRow(const BackupJob& job, const DestinationDisplayStatus& status,
    const QString& lastActivity, std::function<void(const BackupJob&)> openEditor,
    std::function<void(const BackupJob&)> run, QWidget* parent)
    : QWidget(parent)
    , m_job(job)
    , m_openEditor(std::move(openEditor))
    , m_dot(new StatusDot(status.color, status.pulsing, 6, this))
    , m_run(new IconButton(
          QStringLiteral("play.fill"), QStringLiteral("Run ") + job.name, false, std::nullopt, 22,
          [this, run = std::move(run)] { run(m_job); }, this))
{
    auto* folder
        = new SymbolImage(QStringLiteral("folder.fill"), 15, SymbolWeight::regular, Palette::accent, this);
    folder->setFixedWidth(22);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(
        new ElidedLabel(job.name, kitFont(15, QFont::Medium), Palette::label, Qt::ElideRight, this));
    texts->addWidget(
        new ElidedLabel(jobSummary(job), kitFont(12), Palette::labelSecondary, Qt::ElideRight, this));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 9, 12, 9);
    row->setSpacing(10);
    row->addWidget(folder);
    row->addLayout(texts, 1);
    row->addSpacing(6);
    row->addWidget(new TextLabel(lastActivity, kitFont(12), Palette::labelTertiary, this));
    row->addWidget(m_dot);
    row->addWidget(m_run);
    setAccessibleName(job.name + QStringLiteral(" backup, ") + status.text);
}

void OverviewJobRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_openEditor(m_job);
}

} // namespace mv
