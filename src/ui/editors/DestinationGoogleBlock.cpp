#include "ui/editors/DestinationGoogleBlock.h"

#include "ui/editors/DestinationFieldColumn.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DestinationGoogleBlock::DestinationGoogleBlock(DestinationEditorModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_notConfigured(new TextLabel(
          QStringLiteral("Import the Google OAuth client JSON in Settings \u2192 Google Drive first."),
          kitFont(13), Palette::warning, this))
    , m_accountRow(new QWidget(this))
    , m_symbol(new SymbolImage(QStringLiteral("person.crop.circle.badge.questionmark"), 15,
          SymbolWeight::regular, Palette::warning, m_accountRow))
    , m_account(new TextLabel(QString(), kitFont(13), Palette::label, m_accountRow))
    , m_chip(new TagChip(
          QStringLiteral("Google Drive"), QStringLiteral("cloud"), Palette::success, m_accountRow))
    , m_signIn(new MVButton(
          QStringLiteral("Sign In"), std::nullopt, MVButtonKind::secondary, true, false,
          [this] { m_model.signIn(); }, m_accountRow))
{
    m_notConfigured->setWordWrap(true);
    auto* row = new QHBoxLayout(m_accountRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(7);
    row->addWidget(m_symbol);
    row->addWidget(m_account);
    row->addStretch(1);
    row->addWidget(m_chip);
    row->addWidget(m_signIn);

    auto* folder = DestinationFieldColumn::labeledField(
        QStringLiteral("Folder under Marrowvale"), model.state().path, QStringLiteral("Documents"), this);
    m_folder = folder->textField();
    auto* footnote
        = new TextLabel(QStringLiteral("Files are kept in a folder created by Marrowvale. The scope "
                                       "only allows access to files this app creates."),
            kitFont(12), Palette::labelTertiary, this);
    footnote->setWordWrap(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(m_notConfigured);
    column->addWidget(m_accountRow);
    column->addWidget(folder);
    column->addWidget(footnote);
    connect(m_folder, &TextField::textChanged, this, [this](const QString& text) {
        m_model.edit([&](DestinationEditorState& state) { state.path = text; });
    });
    refresh();
}

void DestinationGoogleBlock::refresh()
{
    const bool configured = m_model.googleConfigured();
    const GoogleSignIn google = m_model.googleSignIn();
    const bool signedIn = google.isSignedIn();
    m_notConfigured->setVisible(!configured);
    m_accountRow->setVisible(configured);
    m_symbol->setSymbol(signedIn ? QStringLiteral("checkmark.circle.fill")
                                 : QStringLiteral("person.crop.circle.badge.questionmark"));
    m_symbol->setColor(signedIn ? Palette::success : Palette::warning);
    m_account->setText(google.account.value_or(QStringLiteral("Not signed in to Google")));
    m_chip->setVisible(signedIn);
    m_signIn->setVisible(!signedIn);
    m_signIn->setBusy(m_model.googleConnecting());
    showFieldText(*m_folder, m_model.state().path);
}

} // namespace mv
