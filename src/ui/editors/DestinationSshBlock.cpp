#include "ui/editors/DestinationSshBlock.h"

#include "ui/editors/DestinationFieldColumn.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/editors/DestinationEditorModel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace mv {

namespace {

// Binds a text field to one text of the state: every keystroke is an edit.
void bindText(TextField* field, DestinationEditorModel& model, QString DestinationEditorState::*member)
{
    QObject::connect(field, &TextField::textChanged, field, [&model, member](const QString& text) {
        model.edit([&](DestinationEditorState& state) { state.*member = text; });
    });
}

} // namespace

DestinationSshBlock::DestinationSshBlock(
    DestinationEditorModel& model, std::function<void()> chooseIdentity, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    const DestinationEditorState& state = model.state();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    auto* server = new QHBoxLayout;
    server->setSpacing(8);
    auto* host = DestinationFieldColumn::labeledField(
        QStringLiteral("Server"), state.host, QStringLiteral("nas.local or 192.168.1.20"), this);
    auto* user = DestinationFieldColumn::labeledField(
        QStringLiteral("User"), state.user, QStringLiteral("backup"), this);
    m_port = new TextField(QStringLiteral("22"), QLocale().toString(state.port), std::nullopt);
    m_port->setFixedWidth(70);
    server->addWidget(host, 1);
    server->addWidget(user, 1);
    server->addWidget(new DestinationFieldColumn(QStringLiteral("Port"), m_port, this));
    column->addLayout(server);
    m_host = host->textField();
    m_user = user->textField();

    auto* path = DestinationFieldColumn::labeledField(
        QStringLiteral("Remote folder"), state.path, QStringLiteral("/backups/documents"), this);
    m_path = path->textField();
    column->addWidget(path);

    auto* key = new QHBoxLayout;
    key->setSpacing(8);
    auto* identity = DestinationFieldColumn::labeledField(
        QStringLiteral("Identity file"), state.identityFile, QStringLiteral("~/.ssh/id_ed25519"), this);
    m_identity = identity->textField();
    m_chooseIdentity = new MVButton(QStringLiteral("Choose\u2026"), std::nullopt, MVButtonKind::secondary,
        true, false, std::move(chooseIdentity), this);
    key->addWidget(identity, 1);
    key->addWidget(m_chooseIdentity, 0, Qt::AlignBottom);
    column->addLayout(key);

    auto* secret = new QHBoxLayout;
    secret->setSpacing(8);
    m_passphrase = new TextField(QStringLiteral("Stored in keyring"), QString(), std::nullopt);
    m_passphrase->lineEdit()->setEchoMode(QLineEdit::Password);
    m_saveKey = new MVButton(
        QStringLiteral("Save Key"), std::nullopt, MVButtonKind::secondary, false, false,
        [this] { m_model.saveKey(); }, this);
    secret->addWidget(
        new DestinationFieldColumn(QStringLiteral("Passphrase (optional)"), m_passphrase, this), 1);
    secret->addWidget(m_saveKey, 0, Qt::AlignBottom);
    column->addLayout(secret);
    column->addWidget(makeTestArea());

    bindText(m_host, model, &DestinationEditorState::host);
    bindText(m_user, model, &DestinationEditorState::user);
    bindText(m_path, model, &DestinationEditorState::path);
    bindText(m_identity, model, &DestinationEditorState::identityFile);
    bindText(m_passphrase, model, &DestinationEditorState::passphrase);
    connect(m_port, &TextField::textChanged, this, &DestinationSshBlock::portEdited);
    // Once the field is left it shows the number it holds, as the locale writes it.
    connect(m_port->lineEdit(), &QLineEdit::editingFinished, this,
        [this] { showFieldText(*m_port, QLocale().toString(m_model.state().port)); });
    refresh();
}

// The buttons, with the outcome on a full-width line of its own under them: ssh's words can run to several
// lines and wrap to the sheet's width, and the block grows to hold them.
QWidget* DestinationSshBlock::makeTestArea()
{
    auto* test = new QWidget(this);
    auto* column = new QVBoxLayout(test);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_test = new MVButton(
        QStringLiteral("Test Connection"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { m_model.testConnection(); }, test);
    m_createFolder = new MVButton(
        QStringLiteral("Create Folder"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { m_model.createRemoteFolder(); }, test);
    buttons->addWidget(m_test);
    buttons->addWidget(m_createFolder);
    buttons->addStretch(1);
    m_message = new TextLabel(QString(), kitFont(12), Palette::warning, test);
    // ssh's own words say why a test failed: all of them show, and can be copied.
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A long unbroken run in that output (ssh's rows of "@") does not widen the sheet past its edge.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    m_message->setSizePolicy(policy);
    column->addLayout(buttons);
    column->addWidget(m_message);
    return test;
}

// The field takes any whole number as typed in the user's locale; text that is not one leaves the port as it
// was. The range is checked when saving.
void DestinationSshBlock::portEdited(const QString& text)
{
    bool parsed = false;
    const qint64 port = QLocale().toLongLong(text, &parsed);
    if (parsed)
        m_model.edit([port](DestinationEditorState& state) { state.port = port; });
}

void DestinationSshBlock::refresh()
{
    const DestinationEditorState& state = m_model.state();
    showFieldText(*m_host, state.host);
    showFieldText(*m_user, state.user);
    showFieldText(*m_path, state.path);
    showFieldText(*m_identity, state.identityFile);
    showFieldText(*m_passphrase, state.passphrase);
    bool portParsed = false;
    if (QLocale().toLongLong(m_port->text(), &portParsed) != state.port || !portParsed) {
        if (!m_port->lineEdit()->hasFocus())
            showFieldText(*m_port, QLocale().toString(state.port));
    }
    m_saveKey->setEnabled(!state.passphrase.isEmpty());

    m_test->setTitle(state.testing ? QStringLiteral("Testing\u2026") : QStringLiteral("Test Connection"));
    m_test->setBusy(state.testing);
    m_createFolder->setVisible(state.testSucceeded == false && !state.createdFolder);
    m_message->setVisible(state.testMessage.has_value());
    m_message->setText(state.testMessage.value_or(QString()));
    m_message->setColor(state.testSucceeded == true ? Palette::success : Palette::warning);
}

} // namespace mv
