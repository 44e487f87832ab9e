#include "ui/editors/DestinationLocationSection.h"

#include "ui/editors/DestinationFieldColumn.h"
#include "ui/editors/DestinationFolderBlock.h"
#include "ui/editors/DestinationGoogleBlock.h"
#include "ui/editors/DestinationSshBlock.h"
#include "ui/kit/TextField.h"
#include "ui/models/editors/DestinationEditorModel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DestinationLocationSection::DestinationLocationSection(DestinationEditorModel& model,
    std::function<void()> chooseFolder, std::function<void()> chooseIdentity, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_name(new TextField(QStringLiteral("Backup SSD"), model.state().name, QStringLiteral("tag")))
    , m_folder(new DestinationFolderBlock(model, std::move(chooseFolder), this))
    , m_ssh(new DestinationSshBlock(model, std::move(chooseIdentity), this))
    , m_google(new DestinationGoogleBlock(model, this))
{
    m_name->setFixedWidth(220);
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(8);
    nameRow->addWidget(new DestinationFieldColumn(QStringLiteral("Name"), m_name, this));
    nameRow->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addLayout(nameRow);
    column->addWidget(m_folder);
    column->addWidget(m_ssh);
    column->addWidget(m_google);
    connect(m_name, &TextField::textChanged, this, [this](const QString& text) {
        m_model.edit([&](DestinationEditorState& state) { state.name = text; });
    });
    refresh();
}

void DestinationLocationSection::refresh()
{
    const DestinationKind kind = m_model.state().kind;
    showFieldText(*m_name, m_model.state().name);
    m_folder->setVisible(kind == DestinationKind::local || kind == DestinationKind::network);
    m_ssh->setVisible(kind == DestinationKind::ssh);
    m_google->setVisible(kind == DestinationKind::googleDrive);
    m_folder->refresh();
    m_ssh->refresh();
    m_google->refresh();
}

} // namespace mv
