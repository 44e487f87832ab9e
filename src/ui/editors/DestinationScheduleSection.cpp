#include "ui/editors/DestinationScheduleSection.h"

#include "ui/editors/DestinationFieldColumn.h"
#include "ui/editors/ScheduleFrequencyRows.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"
#include "ui/models/editors/DestinationEditorTexts.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace mv {

DestinationScheduleSection::DestinationScheduleSection(DestinationEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_follow(new QCheckBox)
{
    const BackupSchedule& jobSchedule = model.jobSchedule();
    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* rows = new QVBoxLayout(card);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    m_follow->setAccessibleName(QStringLiteral("Follow job schedule"));
    m_follow->setChecked(model.state().usesJobSchedule);
    rows->addWidget(new SettingsRow(QStringLiteral("Follow job schedule"),
        DestinationEditorTexts::followScheduleDetail(jobSchedule), m_follow, card));
    m_jobFrequency
        = new SettingsRow(QStringLiteral("Frequency"), QStringLiteral("Change this in the job editor."),
            new TextLabel(jobSchedule.summary(), kitFont(13, QFont::Medium), Palette::label), card);
    rows->addWidget(m_jobFrequency);
    m_ownSchedule = new ScheduleFrequencyRows(model.state().schedule,
        QStringLiteral("This destination only runs when you press Run Now."),
        QStringLiteral("Runs when the destination volume appears. Useful for USB drives and network shares."),
        card);
    rows->addWidget(m_ownSchedule);

    auto* footnote = new TextLabel(
        QStringLiteral("Schedules run while Marrowvale is running and the computer is awake."), kitFont(12),
        Palette::labelTertiary, this);
    footnote->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(7);
    column->addWidget(destinationSectionTitle(QStringLiteral("Schedule"), this));
    column->addWidget(card);
    column->addWidget(footnote);

    connect(m_follow, &QCheckBox::toggled, this, [this](bool follow) {
        m_model.edit([follow](DestinationEditorState& state) { state.usesJobSchedule = follow; });
    });
    connect(
        m_ownSchedule, &ScheduleFrequencyRows::scheduleChanged, this, [this](const BackupSchedule& schedule) {
            m_model.edit([&](DestinationEditorState& state) { state.schedule = schedule; });
        });
    refresh();
}

void DestinationScheduleSection::refresh()
{
    const bool follow = m_model.state().usesJobSchedule;
    m_follow->setChecked(follow);
    m_jobFrequency->setVisible(follow);
    m_ownSchedule->setVisible(!follow);
}

} // namespace mv
