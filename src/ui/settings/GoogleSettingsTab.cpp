#include "ui/settings/GoogleSettingsTab.h"

#include "coordination/ProgramRequests.h"
#include "google/GoogleAuthError.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "model/ConfigurationStore.h"
#include "platform/DescribedError.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/ProgressBarView.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/settings/SettingsTexts.h"
#include "ui/models/shared/ViewContext.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace mv {

namespace {

// A row of widgets spaced 6 apart, for a row's accessory.
QWidget* inLine(const QList<QWidget*>& widgets, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* line = new QHBoxLayout(holder);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(6);
    for (QWidget* widget : widgets) {
        widget->setParent(holder);
        line->addWidget(widget, 0, Qt::AlignVCenter);
    }
    return holder;
}

// What the user reads when an import fails. A secret the keyring refused is said plainly: nothing changed.
QString importFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const GoogleAuthError& error) {
        if (error.kind() == GoogleAuthError::Kind::keyring)
            return QStringLiteral("The client secret could not be stored in the keyring.");
    } catch (...) {
        // Said below, in the words every other view uses.
    }
    return describeError(failure);
}

} // namespace

GoogleSettingsTab::GoogleSettingsTab(ViewContext& context, Prompts& prompts, QWidget* parent)
    : SettingsTabPage(SettingsTexts::tabs().at(3), parent)
    , m_context(context)
    , m_prompts(prompts)
    , m_removeClient(QStringLiteral("Remove Client"))
{
    m_removeClient.setObjectName(QStringLiteral("removeGoogleClient"));
    m_menu.addAction(&m_removeClient);
    connect(&m_removeClient, &QAction::triggered, this, [this] { m_context.googleAuth.clearClient(); });

    m_import = new MVButton(QStringLiteral("Import Client JSON…"), std::nullopt, MVButtonKind::secondary,
        true, false, [this] { importGoogleClient(); });
    m_more
        = new IconButton(QStringLiteral("ellipsis"), QStringLiteral("More"), false, Palette::labelSecondary,
            20, [this] { m_menu.popup(m_more->mapToGlobal(QPoint(0, m_more->height()))); });
    m_clientRow = addRow(QStringLiteral("OAuth client"), QString(), inLine({ m_import, m_more }, this));

    auto* spinner = new ProgressBarView(std::nullopt, Palette::accent, 4);
    spinner->setFixedWidth(40);
    m_cancelSignIn = new MVButton(QStringLiteral("Cancel"), std::nullopt, MVButtonKind::secondary, true,
        false, [this] { m_context.googleAuth.cancelSignIn(); });
    m_waiting = inLine(
        { spinner, new TextLabel(QStringLiteral("Waiting for Google…"), kitFont(13), Palette::labelSecondary),
            m_cancelSignIn },
        this);
    m_connected
        = new TagChip(QStringLiteral("Connected"), QStringLiteral("checkmark.circle.fill"), Palette::success);
    m_signOut = new MVButton(QStringLiteral("Sign Out"), std::nullopt, MVButtonKind::secondary, true, false,
        [this] { m_context.googleAuth.disconnect(); });
    m_signIn = new MVButton(QStringLiteral("Sign In with Google"), std::nullopt, MVButtonKind::primary, true,
        false, [this] { m_context.googleAuth.connect(); });
    m_accountRow = addRow(QStringLiteral("Account"), QString(),
        inLine({ m_waiting, inLine({ m_connected, m_signOut }, nullptr), m_signIn }, this));

    m_explanation = new QWidget(this);
    auto* lines = new QVBoxLayout(m_explanation);
    lines->setContentsMargins(12, 10, 12, 10);
    lines->setSpacing(4);
    auto* reads
        = new TextLabel(QStringLiteral("Marrowvale reads ~/Documents/Marrowvale/google-oauth-client.json at "
                                       "launch. You can also import a Desktop OAuth client JSON from "
                                       "Google Cloud here."),
            kitFont(13), Palette::labelSecondary, m_explanation);
    reads->setWordWrap(true);
    auto* stored = new TextLabel(
        QStringLiteral("The JSON is stored in the keyring. Nothing is uploaded until you add a destination."),
        kitFont(12), Palette::labelTertiary, m_explanation);
    stored->setWordWrap(true);
    lines->addWidget(reads);
    lines->addWidget(stored);
    addToGroup(m_explanation);

    m_error = new QWidget(this);
    auto* errorLine = new QHBoxLayout(m_error);
    errorLine->setContentsMargins(12, 8, 12, 8);
    errorLine->setSpacing(6);
    errorLine->addWidget(new SymbolImage(QStringLiteral("exclamationmark.triangle.fill"), 12,
                             SymbolWeight::regular, Palette::danger, m_error),
        0, Qt::AlignTop);
    m_errorText = new TextLabel(QString(), kitFont(12), Palette::danger, m_error);
    m_errorText->setWordWrap(true);
    errorLine->addWidget(m_errorText, 1);
    addToGroup(m_error);

    // Google's page is a long address without spaces: a read-only field keeps it on one line, selectable.
    m_addressLine = new QWidget(this);
    auto* addressLine = new QHBoxLayout(m_addressLine);
    addressLine->setContentsMargins(12, 0, 12, 8);
    m_address = new TextField(QString(), QString(), std::nullopt, m_addressLine);
    m_address->lineEdit()->setReadOnly(true);
    m_address->lineEdit()->setFont(kitFont(12));
    addressLine->addWidget(m_address);
    addToGroup(m_addressLine);

    connect(&context.configuration, &ConfigurationStore::changed, this, &GoogleSettingsTab::refresh);
    connect(&context.googleAuth, &GoogleAuthManager::changed, this, &GoogleSettingsTab::refresh);
    refresh();
}

void GoogleSettingsTab::refresh()
{
    GoogleAuthManager& google = m_context.googleAuth;
    const bool configured = google.isConfigured();
    m_clientRow->detailLabel()->setText(SettingsTexts::googleClientDetail(configured, google.clientID()));
    m_more->setVisible(configured);
    m_accountRow->setVisible(configured);
    m_explanation->setVisible(!configured);

    const std::optional<QString>& account = google.account();
    m_accountRow->detailLabel()->setText(account.value_or(QStringLiteral("Not signed in")));
    const bool connecting = google.isConnecting();
    const bool connected = !connecting && account
        && !m_context.googleCredentials.cachedValue(GoogleCredentialStore::refreshToken)
                .value_or(QString())
                .isEmpty();
    m_waiting->setVisible(connecting);
    m_connected->parentWidget()->setVisible(connected);
    m_signIn->setVisible(!connecting && !connected);

    m_error->setVisible(google.lastError().has_value());
    m_errorText->setText(google.lastError().value_or(QString()));
    const QString address
        = google.signInAddress() ? QString::fromLatin1(google.signInAddress()->toEncoded()) : QString();
    m_addressLine->setVisible(!address.isEmpty());
    if (m_address->text() != address) {
        m_address->setText(address);
        m_address->lineEdit()->setCursorPosition(0);
    }
}

void GoogleSettingsTab::importGoogleClient()
{
    OpenPanelRequest request;
    request.choose = OpenPanelRequest::Choose::file;
    request.title = QStringLiteral("Choose the OAuth client JSON downloaded from Google Cloud.");
    request.prompt = QStringLiteral("Import");
    request.nameFilter = QStringLiteral("JSON (*.json)");
    m_prompts.askOpenPath(window(), request, [self = QPointer(this)](const QString& path) {
        if (self)
            self->importFile(path);
    });
}

QCoro::Task<> GoogleSettingsTab::importFile(QString path)
{
    // The application state outlives the page; the outcome is told even when the page has gone.
    ViewContext& context = m_context;
    std::exception_ptr failure;
    try {
        auto importing = context.googleAuth.importClientFile(path);
        co_await importing;
    } catch (...) {
        failure = std::current_exception();
    }
    context.requests.setBanner(failure
            ? importFailure(failure)
            : QStringLiteral("Google OAuth client imported. Click Sign In with Google to connect."));
}

} // namespace mv
