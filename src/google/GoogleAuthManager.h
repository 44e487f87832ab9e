#pragma once

#include "google/GoogleEndpoints.h"
#include "google/GoogleTokenResponse.h"
#include "google/PercentEncoding.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

class QNetworkAccessManager;

namespace mv {

class Clock;
class ConfigurationStore;
class GoogleCredentialStore;
class SystemLog;
class UrlOpener;

// The one owner of the user's Google account state: whether an OAuth client is configured, the browser
// sign-in, the signed-in account, and access tokens for the Drive client. Lives on the main thread; `changed`
// follows every change of account(), isConnecting(), lastError() and signInAddress().
//
// Secrets never enter the configuration document: the client secret, the refresh token and the account
// e-mail live in the credential store, the client identifier in the settings, access tokens in memory.
class GoogleAuthManager : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds signInTimeout { 300 };
    static constexpr std::chrono::seconds accessTokenLifetime { 3300 };

    GoogleAuthManager(ConfigurationStore& store, GoogleCredentialStore& credentials,
        QNetworkAccessManager& network, UrlOpener& opener, GoogleEndpoints endpoints, Clock& clock,
        SystemLog& log, QObject* parent = nullptr);
    // Cancels a sign-in under way.
    ~GoogleAuthManager() override;

    // Reads the stored credentials (off the main thread) and, when a refresh token is stored, shows the
    // stored account. Awaited once after creation, before the views ask.
    QCoro::Task<> load();

    const std::optional<QString>& account() const { return m_account; }
    bool isConnecting() const { return m_isConnecting; }
    const std::optional<QString>& lastError() const { return m_lastError; }
    // While a sign-in waits for a browser that could not be opened: Google's page, for the person to open
    // by hand (lastError() says so).
    const std::optional<QUrl>& signInAddress() const { return m_signInAddress; }

    QString clientID() const;
    bool isConfigured() const;

    // Where an OAuth client file is looked for at launch: MARROWVALE_GOOGLE_CLIENT_JSON when set and not
    // empty, then "Marrowvale/google-oauth-client.json" and "google-oauth-client.json" in Documents.
    static QStringList clientFileCandidates();
    // Imports the first of `candidates` (clientFileCandidates() when none) that exists and imports cleanly,
    // and answers its path; does nothing when a client is configured already.
    QCoro::Task<std::optional<QString>> loadClientAutomatically(
        std::optional<QStringList> candidates = std::nullopt);
    // Stores the file's client secret and identifier, then forgets any signed-in account. Throws, changing
    // nothing, when the file cannot be read or decoded or the keyring refuses the secret.
    QCoro::Task<> importClientFile(QString path);

    // Runs a whole browser sign-in and publishes its outcome; returns at once while one is under way.
    // When no browser could be opened, the failure and the address to open are published at once and the
    // sign-in goes on waiting for that address to be opened by hand.
    QCoro::Task<> connect();
    // Ends the sign-in under way at once: its listener's port closes and nothing of it is stored, unless
    // the keyring already holds it.
    void cancelSignIn();
    // Forgets the account and the cached access token; the client stays.
    QCoro::Task<> disconnect();
    // Forgets the client, then disconnects.
    QCoro::Task<> clearClient();

    // A valid access token: the cached one while it has more than 60 s to live, else a refreshed one.
    // Throws GoogleAuthError::notConnected without a refresh token; a revoked refresh token signs out.
    QCoro::Task<QString> accessToken();
    // Drops the cached access token, so that the next accessToken() refreshes (after Google refused it).
    void invalidateAccessToken();

Q_SIGNALS:
    void changed();

private:
    struct SignInAttempt;

    QCoro::Task<QString> performSignIn(std::shared_ptr<SignInAttempt> attempt);
    QCoro::Task<QString> refresh(QString refreshToken);
    QCoro::Task<GoogleTokenResponse> tokenRequest(PercentEncoding::Pairs body);
    QCoro::Task<GoogleTokenResponse> exchange(QString code, QString verifier, quint16 port);
    QCoro::Task<QString> accountEmail(GoogleTokenResponse tokens);
    QCoro::Task<> storeSignIn(QString refreshToken, QString email);
    QUrl authorizationUrl(quint16 port, const QString& state, const QString& challenge) const;
    void setClientID(const QString& clientID);
    void cacheAccessToken(const QString& token);

    ConfigurationStore& m_store;
    GoogleCredentialStore& m_credentials;
    QNetworkAccessManager& m_network;
    UrlOpener& m_opener;
    GoogleEndpoints m_endpoints;
    Clock& m_clock;
    SystemLog& m_log;

    std::optional<QString> m_account;
    bool m_isConnecting = false;
    std::optional<QString> m_lastError;
    std::optional<QUrl> m_signInAddress;
    std::shared_ptr<SignInAttempt> m_attempt; // the sign-in under way
    std::optional<QString> m_accessToken;
    std::optional<QDateTime> m_accessTokenExpiry;
};

} // namespace mv
