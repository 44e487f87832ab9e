#include "ui/editors/JobEditorView.h"

#include "platform/WorkerPool.h"
#include "ui/editors/DestinationEditorView.h"
#include "ui/editors/ExclusionsSection.h"
#include "ui/editors/JobDestinationsSection.h"
#include "ui/editors/JobScheduleSection.h"
#include "ui/editors/ModeSection.h"
#include "ui/editors/NameAndSourceSection.h"
#include "ui/editors/TransferOptionsSection.h"
#include "ui/kit/AppMark.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/editors/JobEditorPresentation.h"
#include "ui/models/shared/EnumerationPresentation.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mv {

namespace {

// The real destination sheet, choosing its folders and keys through the editor's prompts.
DestinationSheetFactory realDestinationSheets(Prompts& prompts)
{
    return [&prompts](const DestinationEditorContext& context, const QString& sourcePath,
               BackupMode defaultMode, const BackupSchedule& jobSchedule, ViewContext& views,
               std::function<void(const BackupDestination&)> onSave, std::function<void()> onCancel,
               QWidget* parent) {
        auto* sheet = new DestinationEditorView(context, sourcePath, defaultMode, jobSchedule, views,
            std::move(onSave), std::move(onCancel), parent);
        sheet->setPrompts(prompts);
        return static_cast<QDialog*>(sheet);
    };
}

} // namespace

JobEditorView::JobEditorView(JobEditorContext context, ViewContext& views, Prompts& prompts, QWidget* parent,
    SourceSizeMeasurement::Measure measure)
    : QDialog(parent)
    , m_context(views)
    , m_prompts(prompts)
    , m_model(std::move(context), std::move(measure))
    , m_destinationSheets(realDestinationSheets(prompts))
{
    setWindowTitle(title());
    setFixedSize(760, 690);
    setAcceptDrops(true);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(makeHeader());
    stack->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 0, this));
    stack->addWidget(makeBody(), 1);
    stack->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 0, this));
    stack->addWidget(makeFooter());

    connect(&m_model, &JobEditorModel::changed, this, &JobEditorView::refresh);
    connect(
        &m_model, &JobEditorModel::destinationEditorChanged, this, &JobEditorView::followDestinationEditor);
    refresh();
}

QString JobEditorView::title() const
{
    return m_model.isNew() ? QStringLiteral("New Backup") : QStringLiteral("Edit Backup");
}

QString JobEditorView::subtitle() const
{
    return m_subtitle->text();
}

QString JobEditorView::footerText() const
{
    return m_model.errorMessage() ? m_error->text() : m_hint->text();
}

QWidget* JobEditorView::makeHeader()
{
    auto* header = new QWidget(this);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(new TextLabel(title(), kitFont(16, QFont::DemiBold), Palette::label, header));
    m_subtitle = new ElidedLabel({}, kitFont(13), Palette::labelSecondary, Qt::ElideRight, header);
    titles->addWidget(m_subtitle);
    m_modeChip = new TagChip({}, std::nullopt, Palette::labelSecondary, header);

    m_headerRow = new QHBoxLayout(header);
    m_headerRow->setContentsMargins(20, 13, 20, 13);
    m_headerRow->setSpacing(12);
    m_headerRow->addWidget(new AppMark(26, header), 0, Qt::AlignVCenter);
    m_headerRow->addLayout(titles, 1);
    m_headerRow->addWidget(m_modeChip, 0, Qt::AlignVCenter);
    return header;
}

QWidget* JobEditorView::makeBody()
{
    auto* content = new QWidget;
    content->setMaximumWidth(720);
    m_nameAndSource = new NameAndSourceSection(m_model, m_prompts, content);
    m_modeSection = new ModeSection(m_model, content);
    m_scheduleSection = new JobScheduleSection(m_model, content);
    m_destinationsSection = new JobDestinationsSection(m_model, content);
    m_exclusionsSection = new ExclusionsSection(m_model, content);
    m_optionsSection = new TransferOptionsSection(m_model, content);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(22, 22, 22, 22);
    column->setSpacing(16);
    for (QWidget* section : std::initializer_list<QWidget*> { m_nameAndSource, m_modeSection,
             m_scheduleSection, m_destinationsSection, m_exclusionsSection, m_optionsSection })
        column->addWidget(section);
    column->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}

QWidget* JobEditorView::makeFooter()
{
    auto* footer = new QWidget(this);
    m_errorRow = new QWidget(footer);
    auto* errorLine = new QHBoxLayout(m_errorRow);
    errorLine->setContentsMargins(0, 0, 0, 0);
    errorLine->setSpacing(6);
    errorLine->addWidget(new SymbolImage(QStringLiteral("exclamationmark.circle.fill"), 13,
                             SymbolWeight::regular, Palette::danger, m_errorRow),
        0, Qt::AlignVCenter);
    m_error = new TextLabel({}, kitFont(13), Palette::danger, m_errorRow);
    m_error->setWordWrap(true);
    m_error->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_errorRow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_error->setMaximumHeight(QFontMetrics(m_error->font()).lineSpacing() * 2 + 2);
    errorLine->addWidget(m_error, 1);
    m_hint = new TextLabel(QStringLiteral("Destinations follow the job schedule unless they set their own. "
                                          "Nothing is deleted unless the mode says so."),
        kitFont(12), Palette::labelTertiary, footer);
    m_hint->setWordWrap(true);

    m_cancel = new MVButton(
        QStringLiteral("Cancel"), std::nullopt, MVButtonKind::secondary, true, false, [this] { reject(); },
        footer);
    m_save = new MVButton(
        m_model.isNew() ? QStringLiteral("Create Backup") : QStringLiteral("Save Changes"), std::nullopt,
        MVButtonKind::primary, false, false, [this] { save(); }, footer);

    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(20, 12, 20, 12);
    row->setSpacing(10);
    row->addWidget(m_errorRow, 1);
    row->addWidget(m_hint, 1);
    row->addWidget(m_cancel);
    row->addWidget(m_save);
    return footer;
}

void JobEditorView::refresh()
{
    const BackupJob& draft = m_model.draft();
    m_subtitle->setText(
        m_model.isNew() ? QStringLiteral("Choose a folder, then where its copies should live.") : draft.name);
    if (m_modeChip->text() != modeLabel(draft.mode)) {
        // A chip keeps the symbol it was made with: another mode gets a chip of its own.
        auto* chip = new TagChip(modeLabel(draft.mode), modeSymbol(draft.mode), Palette::labelSecondary);
        delete m_headerRow->replaceWidget(m_modeChip, chip);
        delete m_modeChip;
        m_modeChip = chip;
    }
    m_modeChip->setVisible(!draft.source.path.isEmpty());
    m_errorRow->setVisible(m_model.errorMessage().has_value());
    m_hint->setVisible(!m_model.errorMessage());
    m_error->setText(m_model.errorMessage().value_or(QString()));
    m_save->setEnabled(m_model.isValid());
}

void JobEditorView::save()
{
    if (m_model.isValid() && m_model.save(m_context))
        accept();
}

bool JobEditorView::handleDrop(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return false;
    const QString path = urls.first().toLocalFile();
    // Whether it is a folder is asked off the main thread (a network folder may be slow to answer); the
    // answer comes back through the application object, which outlives this sheet.
    QPointer<JobEditorModel> model(&m_model);
    WorkerPool::instance().start([model, path] {
        if (path.isEmpty() || !QFileInfo(path).isDir())
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [model, path] {
                if (model)
                    model->setSource(path);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void JobEditorView::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_model.loadSourceSize();
    }
}

void JobEditorView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_save->isEnabled())
            save();
        return;
    }
    QDialog::keyPressEvent(event);
}

void JobEditorView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasUrls())
        return;
    event->acceptProposedAction();
    setDropTarget(true);
}

void JobEditorView::dragLeaveEvent(QDragLeaveEvent* event)
{
    setDropTarget(false);
    QDialog::dragLeaveEvent(event);
}

void JobEditorView::dropEvent(QDropEvent* event)
{
    setDropTarget(false);
    if (handleDrop(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void JobEditorView::setDropTarget(bool targeted)
{
    m_dropTarget = targeted;
    m_nameAndSource->setDropTarget(targeted);
}

void JobEditorView::followDestinationEditor()
{
    const std::optional<DestinationEditorContext>& editor = m_model.destinationEditor();
    if (!editor) {
        if (m_destinationSheet)
            m_destinationSheet->close();
        return;
    }
    if (m_destinationSheet)
        m_destinationSheet->close();
    QPointer<JobEditorModel> model(&m_model);
    const QUuid opening = editor->id;
    const BackupJob& draft = m_model.draft();
    QDialog* sheet = m_destinationSheets(
        *editor, draft.source.path, draft.mode, draft.schedule, m_context,
        [model](const BackupDestination& destination) {
            if (model)
                model->destinationSaved(destination);
        },
        [model] {
            if (model)
                model->destinationCancelled();
        },
        this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    // A sheet closed without an answer (Escape, the window's close button) counts as Cancel.
    connect(sheet, &QDialog::finished, this, [this, opening] {
        if (m_model.destinationEditor() && m_model.destinationEditor()->id == opening)
            m_model.destinationCancelled();
    });
    m_destinationSheet = sheet;
    sheet->open();
}

} // namespace mv
