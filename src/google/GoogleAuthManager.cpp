#include "google/GoogleAuthManager.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleClientFile.h"
#include "google/GoogleCredentialStore.h"
#include "google/HttpExchange.h"
#include "google/OAuthLoopbackServer.h"
#include "google/OAuthPkce.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "platform/DescribedError.h"
#include "platform/SystemLog.h"
#include "platform/UrlOpener.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QScopeGuard>
#include <QStandardPaths>

namespace mv {

namespace {

const QString driveFileScope = QStringLiteral("https://www.googleapis.com/auth/drive.file");
const QString googleAccount = QStringLiteral("Google account");

QString redirectUri(quint16 port)
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(port);
}

// The part of a refused token request's body that may be shown: a JSON answer keeps only its "error" and
// "error_description" (so a stray token never reaches a message), anything else one line of at most 300
// characters.
QString errorBodyText(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (document.isObject()) {
        QJsonObject shown;
        for (const QString& key : { QStringLiteral("error"), QStringLiteral("error_description") }) {
            if (document.object().contains(key))
                shown.insert(key, document.object().value(key));
        }
        return QString::fromUtf8(QJsonDocument(shown).toJson(QJsonDocument::Compact));
    }
    return oneLine(body).left(300);
}

// Thrown inside a sign-in that was cancelled, to leave it at its next step.
struct SignInCancelled { };

// Leaves a coroutine whose manager was destroyed while it waited: to its caller, the account is gone.
void throwIfGone(const QPointer<GoogleAuthManager>& self)
{
    if (!self)
        throw GoogleAuthError(GoogleAuthError::Kind::notConnected);
}

} // namespace

// One sign-in: its listener, and whether Cancel ended it.
struct GoogleAuthManager::SignInAttempt {
    OAuthLoopbackServer listener;
    bool cancelled = false;

    void throwIfCancelled() const
    {
        if (cancelled)
            throw SignInCancelled {};
    }
};

GoogleAuthManager::GoogleAuthManager(ConfigurationStore& store, GoogleCredentialStore& credentials,
    QNetworkAccessManager& network, UrlOpener& opener, GoogleEndpoints endpoints, Clock& clock,
    SystemLog& log, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_credentials(credentials)
    , m_network(network)
    , m_opener(opener)
    , m_endpoints(std::move(endpoints))
    , m_clock(clock)
    , m_log(log)
{
}

GoogleAuthManager::~GoogleAuthManager()
{
    // Quietly: the views that listen may be going too.
    if (m_attempt) {
        m_attempt->cancelled = true;
        m_attempt->listener.stop();
    }
}

QCoro::Task<> GoogleAuthManager::load()
{
    const QPointer<GoogleAuthManager> self(this);
    auto secret = m_credentials.read(GoogleCredentialStore::clientSecret);
    co_await secret;
    if (!self)
        co_return;
    auto token = m_credentials.read(GoogleCredentialStore::refreshToken);
    const std::optional<QString> refreshToken = co_await token;
    if (!self || !refreshToken)
        co_return;
    auto reading = m_credentials.read(GoogleCredentialStore::accountEmail);
    const std::optional<QString> email = co_await reading;
    if (!self)
        co_return;
    m_account = email;
    Q_EMIT changed();
}

QString GoogleAuthManager::clientID() const
{
    return m_store.config().settings.googleClientID.trimmed();
}

bool GoogleAuthManager::isConfigured() const
{
    return !clientID().isEmpty()
        && !m_credentials.cachedValue(GoogleCredentialStore::clientSecret).value_or(QString()).isEmpty();
}

QStringList GoogleAuthManager::clientFileCandidates()
{
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("MARROWVALE_GOOGLE_CLIENT_JSON");
    if (!fromEnvironment.isEmpty())
        candidates << fromEnvironment;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::home().filePath(QStringLiteral("Documents"));
    const QDir folder(documents);
    candidates << folder.filePath(QStringLiteral("Marrowvale/google-oauth-client.json"))
               << folder.filePath(QStringLiteral("google-oauth-client.json"));
    return candidates;
}

QCoro::Task<std::optional<QString>> GoogleAuthManager::loadClientAutomatically(
    std::optional<QStringList> candidates)
{
    if (isConfigured())
        co_return std::nullopt;
    const QPointer<GoogleAuthManager> self(this);
    for (const QString& candidate : candidates.value_or(clientFileCandidates())) {
        if (!QFileInfo::exists(candidate))
            continue;
        std::exception_ptr failure;
        try {
            auto importing = importClientFile(candidate);
            co_await importing;
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self)
            co_return std::nullopt;
        m_lastError = failure ? std::optional<QString>(describeError(failure)) : std::nullopt;
        Q_EMIT changed();
        if (!failure)
            co_return candidate;
    }
    co_return std::nullopt;
}

QCoro::Task<> GoogleAuthManager::importClientFile(QString path)
{
    const GoogleClientFile file = GoogleClientFile::read(path);
    const QString clientID = file.details.client_id.trimmed();
    const QString secret = file.details.client_secret.trimmed();
    if (clientID.isEmpty() || secret.isEmpty())
        throw GoogleAuthError(GoogleAuthError::Kind::invalidClientFile);
    const QPointer<GoogleAuthManager> self(this);
    auto saving = m_credentials.save(secret, GoogleCredentialStore::clientSecret);
    const bool saved = co_await saving;
    if (!self)
        co_return;
    if (!saved)
        throw GoogleAuthError(GoogleAuthError::Kind::keyring,
            QStringLiteral(
                "Marrowvale could not store the OAuth client secret in the keyring. Nothing was imported."));
    setClientID(clientID);
    auto forgetting = disconnect();
    co_await forgetting;
}

void GoogleAuthManager::setClientID(const QString& clientID)
{
    AppConfiguration config = m_store.config();
    config.settings.googleClientID = clientID;
    config.updatedAt = m_clock.now();
    m_store.setConfig(config);
    m_store.scheduleSave();
}

QCoro::Task<> GoogleAuthManager::connect()
{
    if (m_isConnecting)
        co_return;
    m_lastError.reset();
    if (!isConfigured()) {
        m_lastError = GoogleAuthError(GoogleAuthError::Kind::notConfigured).description();
        Q_EMIT changed();
        co_return;
    }
    m_isConnecting = true;
    Q_EMIT changed();
    const auto attempt = std::make_shared<SignInAttempt>();
    m_attempt = attempt;
    const QPointer<GoogleAuthManager> self(this);
    std::exception_ptr failure;
    std::optional<QString> email;
    try {
        auto signingIn = performSignIn(attempt);
        email = co_await signingIn;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    // A sign-in that reached the keyring is complete, even when Cancel came too late to stop it.
    if (email)
        m_account = email;
    if (m_attempt == attempt) {
        m_attempt.reset();
        m_signInAddress.reset();
        m_lastError = failure ? std::optional<QString>(describeError(failure)) : std::nullopt;
        m_isConnecting = false;
    }
    Q_EMIT changed();
}

void GoogleAuthManager::cancelSignIn()
{
    if (!m_attempt)
        return;
    m_attempt->cancelled = true;
    m_attempt->listener.stop();
    m_attempt.reset();
    m_signInAddress.reset();
    m_lastError.reset();
    m_isConnecting = false;
    Q_EMIT changed();
}

QCoro::Task<QString> GoogleAuthManager::performSignIn(std::shared_ptr<SignInAttempt> attempt)
{
    const QPointer<GoogleAuthManager> self(this);
    OAuthLoopbackServer& listener = attempt->listener;
    const auto stopListener = qScopeGuard([attempt] { attempt->listener.stop(); });
    const quint16 port = listener.start();
    const OAuthPkce pkce = OAuthPkce::make();
    const QUrl url = authorizationUrl(port, pkce.state, pkce.challenge);
    if (!url.isValid())
        throw GoogleAuthError::server(QStringLiteral("Could not build the Google URL."));

    m_log.write(QStringLiteral("Google auth URL: ") + QString::fromLatin1(url.toEncoded()));
    const bool opened = m_opener.open(url);
    m_log.write(QStringLiteral("Google sign-in browser open result: %1").arg(opened ? 1 : 0));
    if (!opened) {
        // Said at once, and the listener stays open so that the address works when opened by hand.
        m_lastError = QStringLiteral(
            "Marrowvale could not open your web browser. Open this address in a browser to sign in:");
        m_signInAddress = url;
        Q_EMIT changed();
    }

    auto waiting = listener.waitForCallback(signInTimeout);
    const OAuthLoopbackServer::Callback callback = co_await waiting;
    // The destructor cancels the attempt, so this also leaves once the manager is gone.
    attempt->throwIfCancelled();
    if (callback.state != pkce.state)
        throw GoogleAuthError(GoogleAuthError::Kind::stateMismatch);
    auto exchanging = exchange(callback.code, pkce.verifier, port);
    const GoogleTokenResponse tokens = co_await exchanging;
    attempt->throwIfCancelled();
    if (tokens.refresh_token.value_or(QString()).isEmpty())
        throw GoogleAuthError::tokenExchange(
            QStringLiteral("Google did not return a refresh token. Remove Marrowvale "
                           "from your Google account permissions and sign in again."));
    auto learning = accountEmail(tokens);
    const QString email = co_await learning;
    attempt->throwIfCancelled();
    auto storing = storeSignIn(*tokens.refresh_token, email);
    co_await storing;
    throwIfGone(self);
    cacheAccessToken(tokens.access_token);
    co_return email;
}

QCoro::Task<> GoogleAuthManager::storeSignIn(QString refreshToken, QString email)
{
    const GoogleAuthError notStored(GoogleAuthError::Kind::keyring,
        QStringLiteral("Marrowvale could not store the Google sign-in in the keyring."));
    const QPointer<GoogleAuthManager> self(this);
    auto readingPrevious = m_credentials.read(GoogleCredentialStore::refreshToken);
    const std::optional<QString> previous = co_await readingPrevious;
    throwIfGone(self);
    auto savingToken = m_credentials.save(refreshToken, GoogleCredentialStore::refreshToken);
    const bool tokenSaved = co_await savingToken;
    throwIfGone(self);
    if (!tokenSaved)
        throw notStored;
    auto savingEmail = m_credentials.save(email, GoogleCredentialStore::accountEmail);
    const bool emailSaved = co_await savingEmail;
    if (emailSaved)
        co_return;
    throwIfGone(self);
    // Half a sign-in is none: put back the token that was there before.
    if (previous) {
        auto restoring = m_credentials.save(*previous, GoogleCredentialStore::refreshToken);
        co_await restoring;
    } else {
        auto removing = m_credentials.remove(GoogleCredentialStore::refreshToken);
        co_await removing;
    }
    throw notStored;
}

QUrl GoogleAuthManager::authorizationUrl(quint16 port, const QString& state, const QString& challenge) const
{
    return PercentEncoding::withQuery(m_endpoints.authorization,
        {
            { QStringLiteral("client_id"), clientID() },
            { QStringLiteral("redirect_uri"), redirectUri(port) },
            { QStringLiteral("response_type"), QStringLiteral("code") },
            { QStringLiteral("scope"), QStringLiteral("openid email profile ") + driveFileScope },
            { QStringLiteral("access_type"), QStringLiteral("offline") },
            { QStringLiteral("prompt"), QStringLiteral("consent") },
            { QStringLiteral("state"), state },
            { QStringLiteral("code_challenge"), challenge },
            { QStringLiteral("code_challenge_method"), QStringLiteral("S256") },
        });
}

QCoro::Task<GoogleTokenResponse> GoogleAuthManager::exchange(QString code, QString verifier, quint16 port)
{
    const QPointer<GoogleAuthManager> self(this);
    auto secret = m_credentials.read(GoogleCredentialStore::clientSecret);
    const QString clientSecret = (co_await secret).value_or(QString());
    throwIfGone(self);
    auto requesting = tokenRequest({
        { QStringLiteral("client_id"), clientID() },
        { QStringLiteral("client_secret"), clientSecret },
        { QStringLiteral("code"), code },
        { QStringLiteral("code_verifier"), verifier },
        { QStringLiteral("grant_type"), QStringLiteral("authorization_code") },
        { QStringLiteral("redirect_uri"), redirectUri(port) },
    });
    co_return co_await requesting;
}

QCoro::Task<GoogleTokenResponse> GoogleAuthManager::tokenRequest(PercentEncoding::Pairs body)
{
    if (!m_endpoints.token.isValid())
        throw GoogleAuthError::server(QStringLiteral("Invalid token URL."));
    QNetworkRequest request(m_endpoints.token);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/x-www-form-urlencoded"));
    auto sending = exchangeHttp(
        m_network, request, QByteArrayLiteral("POST"), PercentEncoding::join(body), std::chrono::seconds(30));
    const HttpAnswer answer = co_await sending;
    if (answer.status == 0)
        throw GoogleAuthError::tokenExchange(QStringLiteral("No HTTP response."));
    if (answer.status != 200)
        throw GoogleAuthError::tokenExchange(
            QStringLiteral("HTTP %1. %2").arg(QString::number(answer.status), errorBodyText(answer.body)));
    co_return GoogleTokenResponse::decode(answer.body);
}

QCoro::Task<QString> GoogleAuthManager::accountEmail(GoogleTokenResponse tokens)
{
    if (tokens.id_token) {
        if (const std::optional<QJsonObject> payload = GoogleTokenResponse::jwtPayload(*tokens.id_token)) {
            if (const QJsonValue email = payload->value(QStringLiteral("email")); email.isString())
                co_return email.toString();
        }
    }
    if (!m_endpoints.userInfo.isValid())
        co_return googleAccount;
    QNetworkRequest request(m_endpoints.userInfo);
    request.setRawHeader("Authorization", "Bearer " + tokens.access_token.toUtf8());
    auto asking = exchangeHttp(m_network, request, QByteArrayLiteral("GET"), {}, std::chrono::seconds(60));
    const HttpAnswer answer = co_await asking;
    if (answer.status == 200) {
        const QJsonDocument document = QJsonDocument::fromJson(answer.body);
        if (const QJsonValue email = document.object().value(QStringLiteral("email")); email.isString())
            co_return email.toString();
    }
    co_return googleAccount;
}

QCoro::Task<> GoogleAuthManager::disconnect()
{
    m_account.reset();
    invalidateAccessToken();
    Q_EMIT changed();
    const QPointer<GoogleAuthManager> self(this);
    auto removingToken = m_credentials.remove(GoogleCredentialStore::refreshToken);
    co_await removingToken;
    if (!self)
        co_return;
    auto removingEmail = m_credentials.remove(GoogleCredentialStore::accountEmail);
    co_await removingEmail;
}

QCoro::Task<> GoogleAuthManager::clearClient()
{
    const QPointer<GoogleAuthManager> self(this);
    auto removingSecret = m_credentials.remove(GoogleCredentialStore::clientSecret);
    co_await removingSecret;
    if (!self)
        co_return;
    setClientID(QString());
    auto forgetting = disconnect();
    co_await forgetting;
}

void GoogleAuthManager::invalidateAccessToken()
{
    m_accessToken.reset();
    m_accessTokenExpiry.reset();
}

void GoogleAuthManager::cacheAccessToken(const QString& token)
{
    m_accessToken = token;
    m_accessTokenExpiry = m_clock.now().addSecs(accessTokenLifetime.count());
}

QCoro::Task<QString> GoogleAuthManager::accessToken()
{
    if (m_accessToken && m_accessTokenExpiry && m_clock.now().secsTo(*m_accessTokenExpiry) > 60) {
        // A copy: GCC 12 moves out of the lvalue named in a co_return, which would empty the cache.
        const QString cached = *m_accessToken;
        co_return cached;
    }
    const QPointer<GoogleAuthManager> self(this);
    auto reading = m_credentials.read(GoogleCredentialStore::refreshToken);
    const std::optional<QString> refreshToken = co_await reading;
    throwIfGone(self);
    if (!refreshToken)
        throw GoogleAuthError(GoogleAuthError::Kind::notConnected);
    auto refreshing = refresh(*refreshToken);
    const QString token = co_await refreshing;
    throwIfGone(self);
    cacheAccessToken(token);
    co_return token;
}

QCoro::Task<QString> GoogleAuthManager::refresh(QString refreshToken)
{
    const QPointer<GoogleAuthManager> self(this);
    auto secret = m_credentials.read(GoogleCredentialStore::clientSecret);
    const QString clientSecret = (co_await secret).value_or(QString());
    throwIfGone(self);
    std::exception_ptr failure;
    bool revoked = false;
    try {
        auto requesting = tokenRequest({
            { QStringLiteral("client_id"), clientID() },
            { QStringLiteral("client_secret"), clientSecret },
            { QStringLiteral("refresh_token"), refreshToken },
            { QStringLiteral("grant_type"), QStringLiteral("refresh_token") },
        });
        const GoogleTokenResponse response = co_await requesting;
        co_return response.access_token;
    } catch (const GoogleAuthError& error) {
        failure = std::current_exception();
        revoked = error.kind() == GoogleAuthError::Kind::tokenExchange
            && error.payload().contains(QLatin1String("invalid_grant"), Qt::CaseInsensitive);
    }
    if (revoked && self) {
        auto forgetting = disconnect();
        co_await forgetting;
    }
    std::rethrow_exception(failure);
}

} // namespace mv
