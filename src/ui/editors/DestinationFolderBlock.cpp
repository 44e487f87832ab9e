#include "ui/editors/DestinationFolderBlock.h"

#include "ui/editors/DestinationPathBox.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"
#include "ui/models/editors/DestinationEditorTexts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DestinationFolderBlock::DestinationFolderBlock(
    DestinationEditorModel& model, std::function<void()> chooseFolder, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_label(new TextLabel(QString(), kitFont(12, QFont::Medium), Palette::labelSecondary, this))
    , m_pathBox(new DestinationPathBox(this))
    , m_choose(new MVButton(QStringLiteral("Choose\u2026"), std::nullopt, MVButtonKind::secondary, true,
          false, std::move(chooseFolder), this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    column->addWidget(m_label);
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(m_pathBox, 1);
    row->addWidget(m_choose);
    column->addLayout(row);
    refresh();
}

void DestinationFolderBlock::refresh()
{
    m_label->setText(DestinationEditorTexts::folderLabel(m_model.state().kind));
    m_pathBox->setPath(m_model.state().path);
}

} // namespace mv
