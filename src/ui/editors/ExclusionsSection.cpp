#include "ui/editors/ExclusionsSection.h"

#include "ui/editors/FlowChips.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/JobEditorModel.h"
#include "ui/models/editors/JobEditorPresentation.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

ExclusionsSection::ExclusionsSection(JobEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_header(new SectionHeader(QStringLiteral("Exclusions"), 0, std::nullopt, std::nullopt, {}, this))
    , m_field(new TextField(QStringLiteral("Custom pattern, for example *.psd"), model.customPattern(),
          QStringLiteral("line.3.horizontal.decrease"), this))
    , m_add(new MVButton(
          QStringLiteral("Add"), std::nullopt, MVButtonKind::secondary, true, false,
          [this] { m_model.addPattern(); }, this))
{
    auto* card = new CardSurface(10, false, std::nullopt, this);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(6);
    int index = 0;
    for (const BuiltInExclusion exclusion : allCases<BuiltInExclusion>()) {
        auto* box = new QCheckBox(exclusionTitle(exclusion), card);
        box->setFont(kitFont(13));
        connect(box, &QCheckBox::toggled, this,
            [this, exclusion](bool on) { m_model.setExclusion(exclusion, on); });
        m_boxes.insert(exclusion, box);
        grid->addWidget(box, index / 2, index % 2);
        ++index;
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    auto* entry = new QHBoxLayout;
    entry->setSpacing(6);
    m_field->setParent(card);
    m_add->setParent(card);
    entry->addWidget(m_field, 1);
    entry->addWidget(m_add);

    auto* footnote = new TextLabel(QStringLiteral("Patterns are passed to rsync unchanged, one --exclude per "
                                                  "line. Excluded items are never read."),
        kitFont(12), Palette::labelTertiary, card);
    footnote->setWordWrap(true);

    m_stack = new QVBoxLayout(card);
    m_stack->setContentsMargins(12, 12, 12, 12);
    m_stack->setSpacing(10);
    m_stack->addLayout(grid);
    m_stack->addLayout(entry);
    m_stack->addWidget(footnote);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(m_header);
    column->addWidget(card);

    // Return in the field adds nothing: only the button adds a pattern.
    connect(m_field, &TextField::textChanged, &m_model, &JobEditorModel::setCustomPattern);
    connect(&m_model, &JobEditorModel::changed, this, &ExclusionsSection::refresh);
    refresh();
}

void ExclusionsSection::refresh()
{
    const TransferOptions& options = m_model.draft().options;
    m_header->setCount(exclusionCount(options));
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it) {
        const bool checked = options.builtInExclusions.contains(it.key());
        if (it.value()->isChecked() != checked)
            it.value()->setChecked(checked);
    }
    if (m_field->text() != m_model.customPattern())
        m_field->setText(m_model.customPattern());
    if (m_chips && options.customExclusions == m_shownPatterns)
        return;
    if (!m_chips && options.customExclusions.isEmpty())
        return;
    m_shownPatterns = options.customExclusions;
    // The chip whose cross was pressed is still handling that click: it goes afterwards.
    if (m_chips) {
        m_chips->hide();
        m_chips->deleteLater();
        m_chips = nullptr;
    }
    if (!options.customExclusions.isEmpty()) {
        m_chips = new FlowChips(
            options.customExclusions, [this](const QString& pattern) { m_model.removePattern(pattern); },
            m_stack->parentWidget());
        m_stack->insertWidget(2, m_chips);
        m_chips->show();
    }
}

} // namespace mv
