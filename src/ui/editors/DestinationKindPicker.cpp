#include "ui/editors/DestinationKindPicker.h"

#include "ui/editors/DestinationFieldColumn.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SegmentButton.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"
#include "ui/models/editors/DestinationEditorTexts.h"
#include "ui/models/shared/EnumerationPresentation.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace mv {

DestinationKindPicker::DestinationKindPicker(DestinationEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_group(new QButtonGroup(this))
    , m_help(new TextLabel(QString(), kitFont(12), Palette::labelTertiary, this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(destinationSectionTitle(QStringLiteral("Type"), this));

    auto* segments = new QHBoxLayout;
    segments->setSpacing(0);
    for (const DestinationKind kind : allCases<DestinationKind>()) {
        auto* segment = new SegmentButton(kindTitle(kind), this);
        m_group->addButton(segment, int(kind));
        segments->addWidget(segment, 1);
    }
    column->addLayout(segments);
    column->addWidget(m_help);
    // Toggled, not clicked: a screen reader's activate checks the segment without clicking it.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && DestinationKind(id) != m_model.state().kind)
            m_model.edit([id](DestinationEditorState& state) { state.changeKind(DestinationKind(id)); });
    });
    refresh();
}

QList<QPushButton*> DestinationKindPicker::segments() const
{
    QList<QPushButton*> buttons;
    for (const DestinationKind kind : allCases<DestinationKind>())
        buttons.append(qobject_cast<QPushButton*>(m_group->button(int(kind))));
    return buttons;
}

void DestinationKindPicker::refresh()
{
    const DestinationKind kind = m_model.state().kind;
    m_group->button(int(kind))->setChecked(true);
    // The chosen segment reads heavier: a pressed look alone is faint in the dark appearance.
    for (QAbstractButton* segment : m_group->buttons())
        segment->setFont(kitFont(13, segment->isChecked() ? QFont::DemiBold : QFont::Normal));
    m_help->setText(DestinationEditorTexts::kindHelp(kind));
}

} // namespace mv
