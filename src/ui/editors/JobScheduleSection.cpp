#include "ui/editors/JobScheduleSection.h"

#include "ui/editors/ScheduleFrequencyRows.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/JobEditorModel.h"

#include <QVBoxLayout>

namespace mv {

JobScheduleSection::JobScheduleSection(JobEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_rows(new ScheduleFrequencyRows(model.draft().schedule,
          QStringLiteral("This backup only runs when you press Run Now."),
          QStringLiteral("Runs when a destination volume appears. Useful for USB drives and network shares."),
          this))
{
    auto* footnote = new TextLabel(
        QStringLiteral("New destinations follow this schedule. Each destination can keep its own instead."),
        kitFont(12), Palette::labelTertiary, this);
    footnote->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(new SectionHeader(
        QStringLiteral("Job schedule"), std::nullopt, std::nullopt, std::nullopt, {}, this));
    column->addWidget(cardSurface(m_rows, 10));
    column->addWidget(footnote);

    connect(m_rows, &ScheduleFrequencyRows::scheduleChanged, &model, &JobEditorModel::setSchedule);
}

} // namespace mv
