#include "ui/editors/NameAndSourceSection.h"

#include "ui/editors/SourceCard.h"
#include "ui/editors/SourceDropZone.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextField.h"
#include "ui/models/editors/JobEditorModel.h"
#include "ui/models/editors/JobEditorPresentation.h"

#include <QPointer>
#include <QVBoxLayout>

namespace mv {

NameAndSourceSection::NameAndSourceSection(JobEditorModel& model, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_prompts(prompts)
    , m_name(new TextField(QStringLiteral("Backup name"), model.draft().name, QStringLiteral("tag"), this))
    , m_dropZone(new SourceDropZone([this] { chooseSource(); }, this))
    , m_card(new SourceCard(
          [this] { m_prompts.reveal(m_model.draft().source.path); }, [this] { chooseSource(); }, this))
{
    m_name->setMaximumWidth(320);
    auto* fields = new QVBoxLayout;
    fields->setSpacing(10);
    fields->addWidget(m_name);
    fields->addWidget(m_dropZone);
    fields->addWidget(m_card);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    column->addWidget(new SectionHeader(
        QStringLiteral("Name and source"), std::nullopt, std::nullopt, std::nullopt, {}, this));
    column->addLayout(fields);

    connect(m_name, &TextField::textChanged, &m_model, &JobEditorModel::setName);
    connect(&m_model, &JobEditorModel::changed, this, &NameAndSourceSection::refresh);
    refresh();
}

void NameAndSourceSection::chooseSource()
{
    OpenPanelRequest request;
    request.choose = OpenPanelRequest::Choose::folder;
    request.title = QStringLiteral("Choose the folder Marrowvale should back up.");
    request.prompt = QStringLiteral("Choose Source");
    QPointer<JobEditorModel> model(&m_model);
    m_prompts.askOpenPath(window(), request, [model](const QString& path) {
        if (model)
            model->setSource(path);
    });
}

void NameAndSourceSection::setDropTarget(bool targeted)
{
    m_dropZone->setDropTarget(targeted);
}

void NameAndSourceSection::refresh()
{
    const BackupJob& draft = m_model.draft();
    if (m_name->text() != draft.name)
        m_name->setText(draft.name);
    const bool hasSource = !draft.source.path.isEmpty();
    m_dropZone->setVisible(!hasSource);
    m_card->setVisible(hasSource);
    if (hasSource)
        m_card->showSource(draft.source,
            sourceSizeLine(m_model.sizeLoading(), m_model.sourceSize(), m_model.sourceOnExternalVolume()));
}

} // namespace mv
