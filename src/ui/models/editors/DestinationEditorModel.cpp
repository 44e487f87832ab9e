#include "ui/models/editors/DestinationEditorModel.h"

#include "engine/SSHCommand.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "model/ConfigurationStore.h"
#include "model/KeychainService.h"
#include "platform/WorkerPool.h"
#include "ui/models/shared/ViewContext.h"

#include <QPointer>
#include <QPromise>

#include <memory>

#include <qcoro/qcorofuture.h>

namespace mv {

namespace {

// The keyring may take seconds to answer (or to give up on a locked collection): never on the main thread.
QCoro::Task<bool> storePassphrase(QString passphrase, QUuid destinationID)
{
    auto promise = std::make_shared<QPromise<bool>>();
    QFuture<bool> stored = promise->future();
    promise->start();
    WorkerPool::instance().start([promise, passphrase, destinationID] {
        promise->addResult(KeychainService::savePassphrase(passphrase, destinationID));
        promise->finish();
    });
    co_return co_await stored;
}

} // namespace

DestinationEditorModel::DestinationEditorModel(DestinationEditorContext context, QString sourcePath,
    BackupMode defaultMode, BackupSchedule jobSchedule, ViewContext& views, QObject* parent)
    : QObject(parent)
    , m_context(views)
    , m_defaultMode(defaultMode)
    , m_jobSchedule(std::move(jobSchedule))
    , m_state(DestinationEditorState::opening(std::move(context), std::move(sourcePath)))
{
    connect(&m_context.configuration, &ConfigurationStore::changed, this, &DestinationEditorModel::changed);
    connect(&m_context.googleAuth, &GoogleAuthManager::changed, this, [this] { readRefreshToken(); });
    readRefreshToken();
}

QString DestinationEditorModel::keyringFailureMessage()
{
    return QStringLiteral("The passphrase could not be saved in the keyring.");
}

void DestinationEditorModel::edit(const std::function<void(DestinationEditorState&)>& change)
{
    change(m_state);
    Q_EMIT changed();
}

BackupMode DestinationEditorModel::effectiveMode() const
{
    return m_state.modeOverride.value_or(m_defaultMode);
}

qint64 DestinationEditorModel::defaultRetryAttempts() const
{
    return m_context.configuration.config().settings.retryAttempts;
}

qint64 DestinationEditorModel::effectiveRetryCount() const
{
    return m_state.retryLimit.value_or(defaultRetryAttempts());
}

bool DestinationEditorModel::googleConfigured() const
{
    return m_context.googleAuth.isConfigured();
}

bool DestinationEditorModel::googleConnecting() const
{
    return m_context.googleAuth.isConnecting();
}

GoogleSignIn DestinationEditorModel::googleSignIn() const
{
    const std::optional<QString> token
        = m_context.googleCredentials.cachedValue(GoogleCredentialStore::refreshToken);
    return { m_context.googleAuth.account(), token.has_value() };
}

bool DestinationEditorModel::canSave() const
{
    return m_state.canSave(googleSignIn());
}

std::optional<QString> DestinationEditorModel::validate() const
{
    return m_state.validate(googleSignIn());
}

BackupDestination DestinationEditorModel::buildDestination() const
{
    return m_state.buildDestination(m_context.googleAuth.account());
}

void DestinationEditorModel::testConnection()
{
    m_state.errorMessage.reset();
    m_state.testing = true;
    Q_EMIT changed();
    runTest(++m_operation, buildDestination(), fingerprint());
}

void DestinationEditorModel::createRemoteFolder()
{
    m_state.testing = true;
    Q_EMIT changed();
    runFolderCreation(++m_operation, buildDestination());
}

QCoro::Task<> DestinationEditorModel::runTest(
    quint64 operation, BackupDestination destination, QString startFingerprint)
{
    QPointer<DestinationEditorModel> self(this);
    auto probing = SSHCommand::probe(std::move(destination), SSHCommand::probeTimeout);
    const SSHCommand::ProbeResult result = co_await probing;
    if (!self || operation != m_operation)
        co_return;
    m_state.testing = false;
    m_state.testSucceeded = result.folderExists && result.writable;
    m_state.testMessage = result.message;
    m_state.createdFolder = false;
    // The test vouches only for the settings it reached: fields edited meanwhile need a test of their own.
    if (*m_state.testSucceeded && startFingerprint == fingerprint())
        m_state.testedFingerprint = startFingerprint;
    else
        m_state.testedFingerprint.reset();
    Q_EMIT changed();
}

QCoro::Task<> DestinationEditorModel::runFolderCreation(quint64 operation, BackupDestination destination)
{
    QPointer<DestinationEditorModel> self(this);
    auto creating = SSHCommand::createFolder(std::move(destination));
    const SSHCommand::FolderCreation result = co_await creating;
    if (!self || operation != m_operation)
        co_return;
    m_state.testing = false;
    m_state.createdFolder = result.created;
    if (result.created) {
        testConnection();
        co_return;
    }
    m_state.testSucceeded = false;
    m_state.testMessage
        = result.output.isEmpty() ? QStringLiteral("The folder could not be created.") : result.output;
    Q_EMIT changed();
}

void DestinationEditorModel::saveKey()
{
    if (m_state.passphrase.isEmpty() || m_savingKey)
        return;
    m_savingKey = true;
    runSaveKey(m_state.passphrase);
}

QCoro::Task<> DestinationEditorModel::runSaveKey(QString passphrase)
{
    QPointer<DestinationEditorModel> self(this);
    auto storing = storePassphrase(passphrase, m_state.context.destination.id);
    const bool stored = co_await storing;
    if (!self)
        co_return;
    m_savingKey = false;
    if (!stored) {
        // The typed passphrase stays, so the user can try again.
        m_state.errorMessage = keyringFailureMessage();
        Q_EMIT changed();
        co_return;
    }
    if (m_state.errorMessage == keyringFailureMessage())
        m_state.errorMessage.reset();
    // Text typed while the keyring answered was not stored: it stays in the field.
    if (m_state.passphrase == passphrase)
        m_state.passphrase.clear();
    m_state.testMessage = QStringLiteral("Passphrase saved in the keyring.");
    m_state.testSucceeded = true;
    Q_EMIT changed();
}

void DestinationEditorModel::signIn()
{
    m_context.googleAuth.connect();
}

void DestinationEditorModel::save()
{
    if (m_saving)
        return;
    if (const std::optional<QString> problem = validate()) {
        m_state.errorMessage = problem;
        Q_EMIT changed();
        return;
    }
    const BackupDestination destination = buildDestination();
    if (m_state.kind != DestinationKind::ssh || m_state.passphrase.isEmpty()) {
        Q_EMIT saved(destination);
        return;
    }
    m_saving = true;
    runSave(destination, m_state.passphrase);
}

QCoro::Task<> DestinationEditorModel::runSave(BackupDestination destination, QString passphrase)
{
    QPointer<DestinationEditorModel> self(this);
    auto storing = storePassphrase(passphrase, m_state.context.destination.id);
    const bool stored = co_await storing;
    if (!self)
        co_return;
    m_saving = false;
    if (!stored) {
        m_state.errorMessage = keyringFailureMessage();
        Q_EMIT changed();
        co_return;
    }
    Q_EMIT saved(destination);
}

QCoro::Task<> DestinationEditorModel::readRefreshToken()
{
    QPointer<DestinationEditorModel> self(this);
    // Fills the credential store's cache, which googleSignIn() reads on every redraw.
    auto reading = m_context.googleCredentials.read(QString(GoogleCredentialStore::refreshToken));
    co_await reading;
    if (self)
        Q_EMIT changed();
}

} // namespace mv
