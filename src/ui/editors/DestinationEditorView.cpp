#include "ui/editors/DestinationEditorView.h"

#include "ui/editors/DestinationKindPicker.h"
#include "ui/editors/DestinationKindTile.h"
#include "ui/editors/DestinationLocationSection.h"
#include "ui/editors/DestinationModeSection.h"
#include "ui/editors/DestinationScheduleSection.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"
#include "ui/models/editors/DestinationEditorTexts.h"
#include "ui/models/shared/DestinationRowPresentation.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mv {

namespace {

// A message that may carry ssh's output: it wraps to as many lines as it needs at the width it is given, and
// can be copied. A long unbroken run in that output (ssh's rows of "@") does not widen the sheet.
TextLabel* messageLabel(const QFont& font, PaletteColor color, QWidget* parent)
{
    auto* label = new TextLabel(QString(), font, color, parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    label->setSizePolicy(policy);
    return label;
}

} // namespace

DestinationEditorView::DestinationEditorView(DestinationEditorContext context, QString sourcePath,
    BackupMode defaultMode, BackupSchedule jobSchedule, ViewContext& views,
    std::function<void(const BackupDestination&)> onSave, std::function<void()> onCancel, QWidget* parent)
    : QDialog(parent)
    , m_model(new DestinationEditorModel(
          std::move(context), std::move(sourcePath), defaultMode, std::move(jobSchedule), views, this))
    , m_onSave(std::move(onSave))
    , m_onCancel(std::move(onCancel))
{
    setFixedSize(620, 620);
    setWindowTitle(DestinationEditorTexts::headerTitle(m_model->state().context.isNew));

    auto* content = new QWidget;
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(18, 18, 18, 18);
    sections->setSpacing(16);
    m_kindPicker = new DestinationKindPicker(*m_model, content);
    m_location = new DestinationLocationSection(
        *m_model, [this] { chooseFolder(); }, [this] { chooseIdentity(); }, content);
    m_schedule = new DestinationScheduleSection(*m_model, content);
    m_mode = new DestinationModeSection(*m_model, content);
    sections->addWidget(m_kindPicker);
    sections->addWidget(m_location);
    sections->addWidget(m_schedule);
    sections->addWidget(m_mode);
    sections->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("destinationScroll"));
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* body = new QVBoxLayout(this);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(makeHeader());
    body->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 0, this));
    body->addWidget(scroll, 1);
    body->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 0, this));
    body->addWidget(makeFooter());

    // The name is what most sheets are opened to change first.
    m_location->nameField()->setFocus();
    connect(m_model, &DestinationEditorModel::changed, this, &DestinationEditorView::refresh);
    // The job editor may close the sheet from its own functions; the sheet is not touched once it is gone.
    connect(m_model, &DestinationEditorModel::saved, this, [this](const BackupDestination& destination) {
        const QPointer<DestinationEditorView> self(this);
        m_onSave(destination);
        if (self)
            accept();
    });
    refresh();
}

QWidget* DestinationEditorView::makeHeader()
{
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(18, 12, 18, 12);
    row->setSpacing(10);
    m_tile = new DestinationKindTile(DestinationRowPresentation::kindSymbol(m_model->state().kind), header);
    m_title = new TextLabel(QString(), kitFont(16, QFont::DemiBold), Palette::label, header);
    m_subtitle = new TextLabel(QString(), kitFont(13), Palette::labelSecondary, header);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    titles->addWidget(m_title);
    titles->addWidget(m_subtitle);
    m_enabled = new QCheckBox(QStringLiteral("Enabled"), header);
    m_enabled->setFont(kitFont(13));
    m_enabled->setChecked(m_model->state().isEnabled);
    connect(m_enabled, &QCheckBox::toggled, this, [this](bool enabled) {
        m_model->edit([enabled](DestinationEditorState& state) { state.isEnabled = enabled; });
    });
    row->addWidget(m_tile);
    row->addLayout(titles, 1);
    row->addWidget(m_enabled);
    return header;
}

// The message takes a full-width line above the buttons, so that ssh's output wraps to the sheet's width and
// the footer grows by as many lines as it needs.
QWidget* DestinationEditorView::makeFooter()
{
    auto* footer = new QWidget(this);
    auto* column = new QVBoxLayout(footer);
    column->setContentsMargins(18, 12, 18, 12);
    column->setSpacing(10);
    m_error = messageLabel(kitFont(13), Palette::danger, footer);
    m_outcome = new QWidget(footer);
    auto* outcome = new QHBoxLayout(m_outcome);
    outcome->setContentsMargins(0, 0, 0, 0);
    outcome->setSpacing(5);
    m_outcomeSymbol = new SymbolImage(
        QStringLiteral("checkmark.circle.fill"), 13, SymbolWeight::regular, Palette::success, m_outcome);
    m_outcomeText = messageLabel(kitFont(13), Palette::labelSecondary, m_outcome);
    outcome->addWidget(m_outcomeSymbol, 0, Qt::AlignTop);
    outcome->addWidget(m_outcomeText, 1);
    m_hint = messageLabel(kitFont(12), Palette::labelTertiary, footer);
    m_cancel = new MVButton(
        QStringLiteral("Cancel"), std::nullopt, MVButtonKind::secondary, true, false, [this] { cancel(); },
        footer);
    m_primary = new MVButton(
        m_model->state().context.isNew ? QStringLiteral("Add") : QStringLiteral("Save"), std::nullopt,
        MVButtonKind::primary, false, false, [this] { save(); }, footer);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_primary);
    column->addWidget(m_error);
    column->addWidget(m_outcome);
    column->addWidget(m_hint);
    column->addLayout(buttons);
    return footer;
}

QString DestinationEditorView::footerMessage() const
{
    if (!m_error->isHidden())
        return m_error->text();
    if (!m_outcome->isHidden())
        return m_outcomeText->text();
    return m_hint->text();
}

void DestinationEditorView::chooseFolder()
{
    if (!m_prompts)
        return;
    OpenPanelRequest request;
    request.choose = OpenPanelRequest::Choose::folder;
    request.title = QStringLiteral("Choose the folder that should hold these backups.");
    request.prompt = QStringLiteral("Choose Destination");
    m_prompts->askOpenPath(this, request, [view = QPointer(this)](const QString& path) {
        if (view)
            view->m_model->edit([&](DestinationEditorState& state) { state.takeChosenFolder(path); });
    });
}

void DestinationEditorView::chooseIdentity()
{
    if (!m_prompts)
        return;
    OpenPanelRequest request;
    request.choose = OpenPanelRequest::Choose::file;
    request.title = QStringLiteral("Choose the private key used for this server.");
    request.prompt = QStringLiteral("Choose Key");
    request.startFolder = QDir::homePath() + QStringLiteral("/.ssh");
    m_prompts->askOpenPath(this, request, [view = QPointer(this)](const QString& path) {
        if (view && !path.isEmpty())
            view->m_model->edit([&](DestinationEditorState& state) { state.identityFile = path; });
    });
}

// Return and Enter press the primary button, as the dialog's default action; fields pass them on.
void DestinationEditorView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_model->canSave())
            save();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void DestinationEditorView::save()
{
    m_model->save();
}

void DestinationEditorView::cancel()
{
    const QPointer<DestinationEditorView> self(this);
    m_onCancel();
    if (self)
        reject();
}

void DestinationEditorView::refresh()
{
    refreshHeader();
    m_kindPicker->refresh();
    m_location->refresh();
    m_schedule->refresh();
    m_mode->refresh();
    refreshFooter();
}

void DestinationEditorView::refreshHeader()
{
    const DestinationEditorState& state = m_model->state();
    m_tile->setSymbol(DestinationRowPresentation::kindSymbol(state.kind));
    m_title->setText(DestinationEditorTexts::headerTitle(state.context.isNew));
    m_subtitle->setText(DestinationEditorTexts::headerSubtitle(state.name));
    m_enabled->setChecked(state.isEnabled);
}

void DestinationEditorView::refreshFooter()
{
    const DestinationEditorState& state = m_model->state();
    m_error->setVisible(state.errorMessage.has_value());
    m_error->setText(state.errorMessage.value_or(QString()));
    const bool showOutcome = !state.errorMessage && state.testMessage;
    m_outcome->setVisible(showOutcome);
    m_outcomeText->setText(state.testMessage.value_or(QString()));
    const bool succeeded = state.testSucceeded == true;
    m_outcomeSymbol->setSymbol(
        succeeded ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.circle.fill"));
    m_outcomeSymbol->setColor(succeeded ? Palette::success : Palette::warning);
    m_hint->setVisible(!state.errorMessage && !state.testMessage);
    m_hint->setText(DestinationEditorTexts::footerHint(state.kind));
    m_primary->setEnabled(m_model->canSave());
}

} // namespace mv
