#include "ui/editors/JobDestinationsSection.h"

#include "model/EffectiveValues.h"
#include "ui/editors/DashedWell.h"
#include "ui/editors/DestinationRow.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/JobEditorModel.h"

#include <QVBoxLayout>

namespace mv {

JobDestinationsSection::JobDestinationsSection(JobEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_header(new SectionHeader(
          QStringLiteral("Destinations"), 0, QStringLiteral("plus"), std::nullopt,
          [this] { m_model.addDestination(); }, this))
    , m_column(new QVBoxLayout(this))
{
    auto* footnote = new TextLabel(
        QStringLiteral("Each destination keeps its own schedule, status, error history and retry policy."),
        kitFont(12), Palette::labelTertiary, this);
    footnote->setWordWrap(true);
    m_column->setContentsMargins(0, 0, 0, 0);
    m_column->setSpacing(8);
    m_column->addWidget(m_header);
    m_column->addWidget(footnote);
    connect(&m_model, &JobEditorModel::changed, this, &JobDestinationsSection::refresh);
    refresh();
}

void JobDestinationsSection::refresh()
{
    const BackupJob& draft = m_model.draft();
    Shown shown { draft.destinations, draft.mode, draft.schedule };
    if (m_shown == shown)
        return;
    m_shown = std::move(shown);
    m_header->setCount(draft.destinations.size());
    // The old rows may be the ones whose click led here: they go once that click is over.
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_rows.clear();
    m_empty = nullptr;
    m_content = draft.destinations.isEmpty() ? makeEmptyState() : makeList();
    m_column->insertWidget(1, m_content);
    m_content->show();
}

QWidget* JobDestinationsSection::makeList()
{
    const BackupJob& draft = m_model.draft();
    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* list = new QVBoxLayout(card);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    for (qsizetype i = 0; i < draft.destinations.size(); ++i) {
        const BackupDestination& destination = draft.destinations[i];
        const QUuid id = destination.id;
        DestinationRowActions actions {
            [this, id] { m_model.editDestination(id); },
            [this, id] { m_model.removeDestination(id); },
            [this, id](bool on) { m_model.setDestinationEnabled(id, on); },
        };
        auto* row = new DestinationRow(destination, effectiveMode(draft, destination),
            effectiveSchedule(draft, destination), std::move(actions), card);
        m_rows.append(row);
        list->addWidget(row);
        if (i + 1 < draft.destinations.size())
            list->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 44, card));
    }
    return card;
}

QWidget* JobDestinationsSection::makeEmptyState()
{
    auto* well = new DashedWell(this);
    auto* stack = new QVBoxLayout(well);
    stack->setContentsMargins(0, 18, 0, 18);
    stack->setSpacing(8);
    stack->addWidget(new SymbolImage(QStringLiteral("externaldrive.badge.plus"), 22, SymbolWeight::light,
                         Palette::labelTertiary, well),
        0, Qt::AlignHCenter);
    stack->addWidget(new TextLabel(QStringLiteral("Add at least one destination"), kitFont(15, QFont::Medium),
                         Palette::labelSecondary, well),
        0, Qt::AlignHCenter);
    stack->addWidget(new MVButton(
                         QStringLiteral("Add Destination"), QStringLiteral("plus"), MVButtonKind::secondary,
                         true, false, [this] { m_model.addDestination(); }, well),
        0, Qt::AlignHCenter);
    m_empty = well;
    return well;
}

} // namespace mv
