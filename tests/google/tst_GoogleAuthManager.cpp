#include "support/CountingSecretBackend.h"
#include "support/FakeBrowser.h"
#include "support/FakeGoogleServer.h"
#include "support/FakeGoogleSuite.h"
#include "support/IntegrationTimeout.h"
#include "support/LoopbackHttp.h"
#include "support/ManualClock.h"
#include "support/RecordingSystemLog.h"
#include "support/TaskOutcome.h"
#include "support/TempDir.h"

#include "google/GoogleAuthError.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleEndpoints.h"
#include "google/OAuthLoopbackServer.h"
#include "google/OAuthPkce.h"
#include "google/PercentEncoding.h"
#include "model/ConfigurationStore.h"

#include <QCryptographicHash>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QtTest>

using namespace mv;
using namespace std::chrono_literals;
using mv::test::CountingSecretBackend;
using mv::test::FakeGoogleServer;
using mv::test::FakeGoogleSuite;

namespace {

const QString clientSecretAccount = GoogleCredentialStore::clientSecret;
const QString refreshTokenAccount = GoogleCredentialStore::refreshToken;
const QString accountEmailAccount = GoogleCredentialStore::accountEmail;
const QString notStoredText = "Marrowvale could not store the Google sign-in in the keyring.";

QByteArray clientFile(const QString& id, const QString& secret)
{
    return QJsonDocument(QJsonObject { { "installed",
                             QJsonObject { { "client_id", id }, { "client_secret", secret },
                                 { "redirect_uris", QJsonArray { "http://localhost" } } } } })
        .toJson();
}

// The description of what a task threw, or the empty text when it returned.
template <typename T> QString failureOf(const test::TaskOutcome<T>& outcome)
{
    if (!outcome.error)
        return {};
    try {
        std::rethrow_exception(outcome.error);
    } catch (const GoogleAuthError& error) {
        return error.description();
    } catch (const GoogleTransportError& error) {
        return error.description();
    } catch (const GoogleDecodingError& error) {
        return error.description();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
}

// A desktop where nothing can show a web page.
struct NoBrowser final : UrlOpener {
    bool open(const QUrl&) override { return false; }
};

// The port of the loopback listener that Google's page at `address` redirects to.
quint16 redirectPort(const QUrl& address)
{
    return quint16(QUrl(QUrlQuery(address).queryItemValue("redirect_uri", QUrl::FullyDecoded)).port());
}

// One of the manager's calls that waits on the keyring, by name, as a task of no value.
QCoro::Task<> keyringCall(QString name, GoogleAuthManager* manager)
{
    if (name == "load") {
        auto loading = manager->load();
        co_await loading;
    } else if (name == "disconnect") {
        auto disconnecting = manager->disconnect();
        co_await disconnecting;
    } else {
        auto clearing = manager->clearClient();
        co_await clearing;
    }
}

const QString noBrowserText
    = "Marrowvale could not open your web browser. Open this address in a browser to sign in:";

// Everything a manager needs, around the fake server; `opener` plays the desktop (the fake browser when
// none).
struct Fixture {
    explicit Fixture(FakeGoogleServer& server, UrlOpener* opener = nullptr)
        : store(dir.path(), clock)
        , credentials(backend)
        , manager(store, credentials, network, opener ? *opener : browser,
              GoogleEndpoints::at(server.baseUrl()), clock, log)
    {
    }

    // Imports the fake server's own client.
    bool configure()
    {
        const QString path = dir.write(
            "client.json", clientFile(FakeGoogleServer::clientID, FakeGoogleServer::clientSecret));
        return !test::waitForOutcome(manager.importClientFile(path)).error;
    }

    void connect() { QVERIFY(!test::waitForOutcome(manager.connect()).error); }

    test::TempDir dir;
    test::ManualClock clock;
    ConfigurationStore store;
    CountingSecretBackend backend;
    GoogleCredentialStore credentials;
    QNetworkAccessManager network;
    test::FakeBrowser browser;
    test::RecordingSystemLog log;
    GoogleAuthManager manager;
};

} // namespace

// Sign-in, tokens and the account against the fake Google server, with a fake browser behind the opener seam
// and an in-memory keyring that counts its calls.
class tst_GoogleAuthManager : public FakeGoogleSuite {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_server.reset();
        for (const char* variable :
            { "MARROWVALE_GOOGLE_EPHEMERAL", "MARROWVALE_GOOGLE_CLIENT_JSON", "MARROWVALE_GOOGLE_ENDPOINT" })
            qunsetenv(variable);
    }

    void pkceValues()
    {
        const OAuthPkce first = OAuthPkce::make();
        const OAuthPkce second = OAuthPkce::make();
        const QRegularExpression alphabet("^[A-Za-z0-9_-]+$");
        QCOMPARE(first.state.size(), 32);
        QCOMPARE(first.verifier.size(), 64);
        QCOMPARE(first.challenge.size(), 43);
        for (const QString& value : { first.state, first.verifier, first.challenge })
            QVERIFY2(alphabet.match(value).hasMatch(), qPrintable(value));
        const QByteArray digest
            = QCryptographicHash::hash(first.verifier.toUtf8(), QCryptographicHash::Sha256);
        QCOMPARE(first.challenge,
            QString::fromLatin1(
                digest.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)));
        QVERIFY(first.state != second.state && first.verifier != second.verifier);
    }

    void queryValuesAreEncodedWhole_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plus and blank") << "C++ projects" << QByteArray("C%2B%2B%20projects");
        QTest::newRow("secret") << FakeGoogleServer::clientSecret << QByteArray("s3cr%2Bt%2F%3D%26x");
        QTest::newRow("unreserved stay") << "aZ09-._~" << QByteArray("aZ09-._~");
        QTest::newRow("UTF-8") << QString::fromUtf8("é") << QByteArray("%C3%A9");
    }

    void queryValuesAreEncodedWhole()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, encoded);
        QCOMPARE(PercentEncoding::encode(value), encoded);
        const QUrl url
            = PercentEncoding::withQuery(QUrl("http://127.0.0.1:1/p"), { { "v", value }, { "w", "x" } });
        QCOMPARE(url.toEncoded(), "http://127.0.0.1:1/p?v=" + encoded + "&w=x");
    }

    void endpointOverride_data()
    {
        QTest::addColumn<QByteArray>("value"); // null: unset
        QTest::addColumn<QString>("origin"); // empty: Google's own
        QTest::newRow("unset") << QByteArray() << QString();
        QTest::newRow("loopback http") << QByteArray("http://127.0.0.1:41234") << "http://127.0.0.1:41234";
        QTest::newRow("localhost") << QByteArray("http://localhost:8080/") << "http://localhost:8080";
        QTest::newRow("IPv6 loopback") << QByteArray("http://[::1]:5") << "http://[::1]:5";
        QTest::newRow("https anywhere") << QByteArray("https://google.example") << "https://google.example";
        QTest::newRow("plain http elsewhere") << QByteArray("http://google.example") << QString();
        QTest::newRow("a path") << QByteArray("http://127.0.0.1:1/evil") << QString();
        QTest::newRow("credentials") << QByteArray("https://user@google.example") << QString();
        QTest::newRow("another scheme") << QByteArray("ftp://localhost") << QString();
        QTest::newRow("not a URL") << QByteArray("127.0.0.1:41234") << QString();
    }

    void endpointOverride()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, origin);
        if (!value.isNull())
            qputenv(googleEndpointVariable, value);
        test::RecordingSystemLog log;
        const GoogleEndpoints endpoints = GoogleEndpoints::fromEnvironment(log);
        if (origin.isEmpty()) {
            QCOMPARE(endpoints, GoogleEndpoints::google());
            QCOMPARE(log.lines().size(), value.isNull() ? 0 : 1);
        } else {
            QCOMPARE(endpoints, GoogleEndpoints::at(QUrl(origin)));
            QCOMPARE(endpoints.token.toString(), origin + "/token");
            QCOMPARE(endpoints.uploadBase.toString(), origin + "/upload/drive/v3/files");
            QVERIFY(log.lines().isEmpty());
        }
        QCOMPARE(GoogleEndpoints::google().authorization.toString(),
            QString("https://accounts.google.com/o/oauth2/v2/auth"));
    }

    void signInStoresTheAccount()
    {
        Fixture f(m_server);
        QVERIFY(!f.manager.isConfigured());
        QVERIFY(f.configure());
        QVERIFY(f.manager.isConfigured());
        QSignalSpy changed(&f.manager, &GoogleAuthManager::changed);
        f.connect();

        QCOMPARE(f.manager.account(), std::optional<QString>("person@example.com"));
        QCOMPARE(f.manager.lastError(), std::nullopt);
        QVERIFY(!f.manager.isConnecting());
        QVERIFY(changed.size() >= 2);
        QVERIFY(f.backend.stored(refreshTokenAccount).value_or("").startsWith("1//"));
        QCOMPARE(f.backend.stored(accountEmailAccount), std::optional<QString>("person@example.com"));

        // The browser came back to the listener and was told so.
        QCOMPARE(f.browser.opened(), 1);
        MV_TRY_COMPARE(f.browser.finished(), 1);
        QCOMPARE(f.browser.lastPage().body, OAuthLoopbackServer::connectedPage());

        // The nine query items in order (the fake checks them too); the secret holding "+", "/", "=" and "&"
        // and the code holding "+" and "/" reached the token endpoint intact, or the exchange would have
        // failed.
        const QJsonArray auth = m_server.requestsTo("/o/oauth2/v2/auth");
        QCOMPARE(auth.size(), 1);
        QStringList names;
        for (const QJsonValue& item : auth.at(0).toObject().value("query").toArray())
            names << item.toArray().at(0).toString();
        QCOMPARE(names,
            QStringList({ "client_id", "redirect_uri", "response_type", "scope", "access_type", "prompt",
                "state", "code_challenge", "code_challenge_method" }));
        QCOMPARE(m_server.requestsTo("/token").size(), 1);
        // The e-mail came from the identity token, whose payload has no Base64 padding.
        QCOMPARE(m_server.requestsTo("/oauth2/v2/userinfo").size(), 0);
        QVERIFY(f.log.lines().value(0).startsWith(
            "Google auth URL: " + m_server.baseUrl().toString() + "/o/oauth2/v2/auth?"));
        QCOMPARE(f.log.lines().value(1), QString("Google sign-in browser open result: 1"));

        // The token of the sign-in is used without another request.
        const auto token = test::waitForOutcome(f.manager.accessToken());
        QVERIFY(token.value && token.value->startsWith("ya29."));
        QCOMPARE(m_server.requestsTo("/token").size(), 1);
    }

    void connectTwiceRunsOneSignIn()
    {
        Fixture f(m_server);
        QVERIFY(f.configure());
        QCoro::Task<> first = f.manager.connect();
        QVERIFY(f.manager.isConnecting());
        QVERIFY(!test::waitForOutcome(f.manager.connect()).error);
        QVERIFY(!test::waitForOutcome(std::move(first)).error);
        QCOMPARE(f.browser.opened(), 1);
        QCOMPARE(m_server.requestsTo("/o/oauth2/v2/auth").size(), 1);
        QCOMPARE(f.manager.account(), std::optional<QString>("person@example.com"));
    }

    void connectWithoutClient()
    {
        Fixture f(m_server);
        f.connect();
        QCOMPARE(f.manager.lastError(),
            std::optional<QString>(
                "Google sign-in is not configured. Import the OAuth client JSON in Settings."));
        QVERIFY(!f.manager.isConnecting());
        QCOMPARE(f.browser.opened(), 0);
    }

    void signInOutcomes_data()
    {
        QTest::addColumn<QJsonObject>("knobs");
        QTest::addColumn<QString>("refusedAccount"); // the keyring refuses to store this one
        QTest::addColumn<QString>("account"); // the account after success, empty for a failure
        QTest::addColumn<QString>("error"); // lastError begins with this after a failure

        const QString none;
        QTest::newRow("denied") << QJsonObject { { "oauth.deny", true } } << none << none
                                << "Google sign-in did not complete. access_denied";
        QTest::newRow("wrong state") << QJsonObject { { "oauth.wrongState", true } } << none << none
                                     << "Google sign-in returned an unexpected state value. Try again.";
        QTest::newRow("no code") << QJsonObject { { "oauth.noCode", true } } << none << none
                                 << "Google sign-in did not complete. Google did not return a code.";
        QTest::newRow("error without value beside a code")
            << QJsonObject { { "oauth.errorWithoutValue", true } } << none << "person@example.com" << none;
        QTest::newRow("token answer 201") << QJsonObject { { "oauth.tokenStatus", 201 } } << none << none
                                          << "Google rejected the token exchange. HTTP 201. {";
        QTest::newRow("token answer 204") << QJsonObject { { "oauth.tokenStatus", 204 } } << none << none
                                          << "Google rejected the token exchange. HTTP 204. ";
        QTest::newRow("no refresh token")
            << QJsonObject { { "oauth.tokenOmit", QJsonArray { "refresh_token" } } } << none << none
            << "Google rejected the token exchange. Google did not return a refresh token. Remove Marrowvale "
               "from "
               "your Google account permissions and sign in again.";
        QTest::newRow("no access token")
            << QJsonObject { { "oauth.tokenOmit", QJsonArray { "access_token" } } } << none << none
            << "Google's token answer could not be read: \"access_token\" is missing.";
        QTest::newRow("not JSON") << QJsonObject { { "oauth.tokenBody", "<html>oops</html>" } } << none
                                  << none
                                  << "Google's token answer could not be read: it is not a JSON object.";
        QTest::newRow("e-mail from user-info")
            << QJsonObject { { "oauth.idToken", "none" } } << none << "person@example.com" << none;
        QTest::newRow("no e-mail anywhere")
            << QJsonObject { { "oauth.idToken", "noEmail" }, { "oauth.userinfoStatus", 403 } } << none
            << "Google account" << none;
        QTest::newRow("refresh token not stored")
            << QJsonObject() << refreshTokenAccount << none << notStoredText;
        QTest::newRow("e-mail not stored") << QJsonObject() << accountEmailAccount << none << notStoredText;
    }

    void signInOutcomes()
    {
        QFETCH(QJsonObject, knobs);
        QFETCH(QString, refusedAccount);
        QFETCH(QString, account);
        QFETCH(QString, error);
        Fixture f(m_server);
        QVERIFY(f.configure());
        m_server.setKnobs(knobs);
        f.backend.refuseStores(refusedAccount);
        f.connect();

        QVERIFY(!f.manager.isConnecting());
        if (account.isEmpty()) {
            QVERIFY2(f.manager.lastError().value_or("").startsWith(error),
                qPrintable(f.manager.lastError().value_or("")));
            QCOMPARE(f.manager.account(), std::nullopt);
            // A failed sign-in stores nothing.
            QCOMPARE(f.backend.stored(refreshTokenAccount), std::nullopt);
            QCOMPARE(f.backend.stored(accountEmailAccount), std::nullopt);
            QVERIFY(!f.manager.lastError()->contains("ya29.") && !f.manager.lastError()->contains("1//"));
        } else {
            QCOMPARE(f.manager.lastError(), std::nullopt);
            QCOMPARE(f.manager.account(), std::optional<QString>(account));
            QCOMPARE(f.backend.stored(accountEmailAccount), std::optional<QString>(account));
        }
        if (f.browser.opened() > 0)
            MV_TRY_COMPARE(f.browser.finished(), 1);
    }

    void importClearAndDisconnect()
    {
        Fixture f(m_server);
        QVERIFY(f.configure());
        QCOMPARE(f.manager.clientID(), QString(FakeGoogleServer::clientID));
        QCOMPARE(
            f.backend.stored(clientSecretAccount), std::optional<QString>(FakeGoogleServer::clientSecret));
        QCOMPARE(f.store.config().updatedAt, f.clock.now());
        QVERIFY(f.store.hasPendingSave());
        f.clock.advance(1s);
        const QByteArray saved = test::TempDir::read(f.dir.filePath("config.json"));
        QVERIFY(saved.contains(FakeGoogleServer::clientID));
        QVERIFY(!saved.contains("s3cr"));

        f.connect();
        QVERIFY(f.manager.account());
        // Importing again (a replaced client) forgets the account.
        const QString other = f.dir.write("other.json", clientFile(" other-id \n", " other-secret "));
        QVERIFY(!test::waitForOutcome(f.manager.importClientFile(other)).error);
        QCOMPARE(f.manager.clientID(), QString("other-id"));
        QCOMPARE(f.backend.stored(clientSecretAccount), std::optional<QString>("other-secret"));
        QCOMPARE(f.manager.account(), std::nullopt);
        QCOMPARE(f.backend.stored(refreshTokenAccount), std::nullopt);
        QCOMPARE(f.backend.stored(accountEmailAccount), std::nullopt);

        // Blank values, or a keyring that refuses the secret: nothing changes.
        const QString blank = f.dir.write("blank.json", clientFile("id", "  "));
        QCOMPARE(failureOf(test::waitForOutcome(f.manager.importClientFile(blank))),
            QString("That file is not a Google OAuth client JSON file."));
        f.backend.refuseStores(clientSecretAccount);
        const QString third = f.dir.write("third.json", clientFile("third-id", "third-secret"));
        QCOMPARE(failureOf(test::waitForOutcome(f.manager.importClientFile(third))),
            QString(
                "Marrowvale could not store the OAuth client secret in the keyring. Nothing was imported."));
        QCOMPARE(f.manager.clientID(), QString("other-id"));
        QCOMPARE(f.backend.stored(clientSecretAccount), std::optional<QString>("other-secret"));

        QVERIFY(!test::waitForOutcome(f.manager.clearClient()).error);
        QVERIFY(!f.manager.isConfigured());
        QCOMPARE(f.store.config().settings.googleClientID, QString());
        QCOMPARE(f.backend.stored(clientSecretAccount), std::nullopt);
    }

    void disconnectKeepsTheClient()
    {
        Fixture f(m_server);
        QVERIFY(f.configure());
        f.connect();
        QVERIFY(!test::waitForOutcome(f.manager.disconnect()).error);
        QCOMPARE(f.manager.account(), std::nullopt);
        QCOMPARE(f.backend.stored(refreshTokenAccount), std::nullopt);
        QCOMPARE(f.backend.stored(accountEmailAccount), std::nullopt);
        QVERIFY(f.manager.isConfigured());
        QCOMPARE(failureOf(test::waitForOutcome(f.manager.accessToken())),
            QString("Sign in with Google in Settings before running this destination."));
    }

    void clientFileAtLaunch()
    {
        qputenv("MARROWVALE_GOOGLE_CLIENT_JSON", "/somewhere/client.json");
        QCOMPARE(GoogleAuthManager::clientFileCandidates().value(0), QString("/somewhere/client.json"));
        QVERIFY(GoogleAuthManager::clientFileCandidates().value(1).endsWith(
            "/Marrowvale/google-oauth-client.json"));
        QVERIFY(GoogleAuthManager::clientFileCandidates().value(2).endsWith("/google-oauth-client.json"));

        Fixture f(m_server);
        const QString broken = f.dir.write("broken.json", "{\"installed\":{\"client_id\":\"a\"}}");
        const QString good = f.dir.write(
            "good.json", clientFile(FakeGoogleServer::clientID, FakeGoogleServer::clientSecret));
        const QString missing = f.dir.filePath("missing.json");

        auto onlyBroken
            = test::waitForOutcome(f.manager.loadClientAutomatically(QStringList { missing, broken }));
        QVERIFY(onlyBroken.value && !*onlyBroken.value);
        QVERIFY(f.manager.lastError().has_value());
        QVERIFY(!f.manager.isConfigured());

        auto loaded
            = test::waitForOutcome(f.manager.loadClientAutomatically(QStringList { missing, broken, good }));
        QCOMPARE(loaded.value, std::optional<std::optional<QString>>(good));
        QCOMPARE(f.manager.lastError(), std::nullopt);
        QVERIFY(f.manager.isConfigured());

        // Configured: no candidate is read.
        auto again = test::waitForOutcome(f.manager.loadClientAutomatically(QStringList { broken }));
        QVERIFY(again.value && !*again.value);
        QCOMPARE(f.manager.lastError(), std::nullopt);
    }

    void theAccessTokenIsCachedUntil60SecondsBeforeItsEnd()
    {
        Fixture f(m_server);
        QVERIFY(f.configure());
        f.connect();
        const QString first = test::waitForOutcome(f.manager.accessToken()).value.value_or("");
        f.clock.advance(3239s);
        const auto cached = test::waitForOutcome(f.manager.accessToken());
        QCOMPARE(failureOf(cached), QString());
        QCOMPARE(cached.value.value_or(""), first);
        QCOMPARE(m_server.requestsTo("/token").size(), 1);
        f.clock.advance(1s);
        const QString second = test::waitForOutcome(f.manager.accessToken()).value.value_or("");
        QVERIFY(second.startsWith("ya29.") && second != first);
        QCOMPARE(m_server.requestsTo("/token").size(), 2);
        f.manager.invalidateAccessToken();
        QVERIFY(test::waitForOutcome(f.manager.accessToken()).value.value_or(second) != second);
    }

    void refreshFailures_data()
    {
        QTest::addColumn<QString>("failure"); // "revoked", "REVOKED", "network"
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("signedOut");
        QTest::newRow("revoked") << "revoked"
                                 << "Google rejected the token exchange. HTTP 400. " << true;
        QTest::newRow("revoked, in capitals") << "REVOKED"
                                              << "Google rejected the token exchange. HTTP 400. " << true;
        QTest::newRow("no network") << "network"
                                    << "Could not reach Google:" << false;
    }

    void refreshFailures()
    {
        QFETCH(QString, failure);
        QFETCH(QString, error);
        QFETCH(bool, signedOut);
        Fixture f(m_server);
        QVERIFY(f.configure());
        f.connect();
        f.manager.invalidateAccessToken();
        if (failure == "network")
            m_server.addFaults({ QJsonObject { { "path", "/token" }, { "close", true } } });
        else
            m_server.control("POST", "oauth/revoke", QJsonObject());
        if (failure == "REVOKED")
            m_server.setKnobs({ { "oauth.capitalErrors", true } });

        const QString text = failureOf(test::waitForOutcome(f.manager.accessToken()));
        QVERIFY2(text.startsWith(error), qPrintable(text));
        QCOMPARE(!f.manager.account().has_value(), signedOut);
        QCOMPARE(!f.backend.stored(refreshTokenAccount).has_value(), signedOut);
        QCOMPARE(f.manager.lastError(), std::nullopt);
    }

    // Without a browser the sign-in says so at once, with Google's page to open by hand, and its listener
    // waits for that page: opened in a browser of the person's own, it completes the sign-in.
    void noBrowserLeavesTheAddressToOpen()
    {
        NoBrowser nothing;
        Fixture f(m_server, &nothing);
        QVERIFY(f.configure());
        QCoro::Task<> signingIn = f.manager.connect();
        QVERIFY(f.manager.isConnecting());
        QCOMPARE(f.manager.lastError(), noBrowserText);
        const std::optional<QUrl> address = f.manager.signInAddress();
        QVERIFY(address);
        QVERIFY(address->toString().startsWith(m_server.baseUrl().toString() + "/o/oauth2/v2/auth?"));
        QCOMPARE(f.log.lines().value(1), QString("Google sign-in browser open result: 0"));

        test::FakeBrowser byHand;
        byHand.open(*address);
        QVERIFY(!test::waitForOutcome(std::move(signingIn)).error);
        QCOMPARE(f.manager.account(), std::optional<QString>("person@example.com"));
        QCOMPARE(f.manager.lastError(), std::nullopt);
        QCOMPARE(f.manager.signInAddress(), std::nullopt);
        QVERIFY(!f.manager.isConnecting());
        MV_TRY_COMPARE(byHand.finished(), 1);
        QCOMPARE(byHand.lastPage().body, OAuthLoopbackServer::connectedPage());
    }

    // Cancel ends a waiting sign-in at once: its port is closed, nothing is stored and no message stays; a
    // new sign-in then runs whole.
    void cancelWhileWaiting()
    {
        NoBrowser nothing;
        Fixture f(m_server, &nothing);
        QVERIFY(f.configure());
        QCoro::Task<> signingIn = f.manager.connect();
        const quint16 port = redirectPort(*f.manager.signInAddress());
        QVERIFY(!test::connectionRefused(port));
        QSignalSpy changed(&f.manager, &GoogleAuthManager::changed);
        f.manager.cancelSignIn();
        QCOMPARE(changed.size(), 1);
        QVERIFY(!f.manager.isConnecting());
        QCOMPARE(f.manager.lastError(), std::nullopt);
        QCOMPARE(f.manager.signInAddress(), std::nullopt);
        QVERIFY(!test::waitForOutcome(std::move(signingIn)).error);
        QVERIFY(test::connectionRefused(port));
        QCOMPARE(f.manager.account(), std::nullopt);
        QCOMPARE(f.manager.lastError(), std::nullopt);
        QCOMPARE(f.backend.stored(refreshTokenAccount), std::nullopt);

        QCoro::Task<> again = f.manager.connect();
        test::FakeBrowser byHand;
        byHand.open(*f.manager.signInAddress());
        QVERIFY(!test::waitForOutcome(std::move(again)).error);
        QCOMPARE(f.manager.account(), std::optional<QString>("person@example.com"));
        MV_TRY_COMPARE(byHand.finished(), 1);
    }

    // Cancel after the redirect, while the code is being exchanged: the sign-in ends at once, and the
    // exchange's late end changes nothing.
    void cancelDuringTheTokenExchange()
    {
        Fixture f(m_server);
        QVERIFY(f.configure());
        m_server.addFaults({ QJsonObject { { "path", "/token" }, { "delay", 600 } } });
        QCoro::Task<> signingIn = f.manager.connect();
        MV_TRY_COMPARE(m_server.requestsTo("/token").size(), 1);
        f.manager.cancelSignIn();
        QVERIFY(!f.manager.isConnecting());
        m_server.reset(); // drops the held token answer
        QVERIFY(!test::waitForOutcome(std::move(signingIn)).error);
        QVERIFY(!f.manager.isConnecting());
        QCOMPARE(f.manager.account(), std::nullopt);
        QCOMPARE(f.manager.lastError(), std::nullopt);
        QCOMPARE(f.backend.stored(refreshTokenAccount), std::nullopt);
        MV_TRY_COMPARE(f.browser.finished(), 1);
    }

    // A manager destroyed while one of its calls waits on the keyring: the call ends without touching it.
    void theManagerMayGoWhileItWaits_data()
    {
        QTest::addColumn<QString>("call");
        QTest::newRow("load") << "load";
        QTest::newRow("disconnect") << "disconnect";
        QTest::newRow("clear client") << "clearClient";
    }

    void theManagerMayGoWhileItWaits()
    {
        QFETCH(QString, call);
        Fixture f(m_server);
        f.backend.store(refreshTokenAccount, "1//stored");
        f.backend.store(accountEmailAccount, "stored@example.com");
        auto manager = std::make_unique<GoogleAuthManager>(f.store, f.credentials, f.network, f.browser,
            GoogleEndpoints::at(m_server.baseUrl()), f.clock, f.log);
        QCoro::Task<> waiting = keyringCall(call, manager.get());
        manager.reset();
        QCOMPARE(failureOf(test::waitForOutcome(std::move(waiting))), QString());
        QVERIFY(m_server.journal().isEmpty());
    }

    void aRestartShowsTheStoredAccountWithoutNetwork()
    {
        Fixture f(m_server);
        f.backend.store(refreshTokenAccount, "1//stored");
        f.backend.store(accountEmailAccount, "stored@example.com");
        QVERIFY(!test::waitForOutcome(f.manager.load()).error);
        QCOMPARE(f.manager.account(), std::optional<QString>("stored@example.com"));
        QVERIFY(m_server.journal().isEmpty());

        // Without a refresh token the stored e-mail is not shown.
        Fixture other(m_server);
        other.backend.store(accountEmailAccount, "stored@example.com");
        QVERIFY(!test::waitForOutcome(other.manager.load()).error);
        QCOMPARE(other.manager.account(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(tst_GoogleAuthManager)
#include "tst_GoogleAuthManager.moc"
