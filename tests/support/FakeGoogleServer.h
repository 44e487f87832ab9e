#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace mv::test {

// The fake Google server of tests/fake_google, started for the fixture's life on a free port of 127.0.0.1,
// and its control endpoints. A test ends by checking that violations() is empty.
class FakeGoogleServer {
public:
    static constexpr char clientID[] = "cid-123.apps.googleusercontent.com";
    static constexpr char clientSecret[] = "s3cr+t/=&x";
    static constexpr char driveRootID[] = "0AFakeRootFolderIdUk9PVAxxxxxxxxx";

    FakeGoogleServer();
    ~FakeGoogleServer();
    FakeGoogleServer(const FakeGoogleServer&) = delete;
    FakeGoogleServer& operator=(const FakeGoogleServer&) = delete;

    bool isRunning() const { return m_baseUrl.isValid(); }
    QUrl baseUrl() const { return m_baseUrl; }

    // One control request (path below /__fake/); its JSON answer.
    QJsonValue control(const QByteArray& method, const QString& path, const QJsonValue& body = {});

    void reset() { control("POST", "reset"); }
    void setKnobs(const QJsonObject& knobs) { control("POST", "knobs", knobs); }
    void addFaults(const QJsonArray& rules) { control("POST", "faults", rules); }
    QJsonArray journal() { return control("GET", "journal").toArray(); }
    QJsonObject state() { return control("GET", "state").toObject(); }
    QStringList violations();
    // The journal's requests to `path`, oldest first.
    QJsonArray requestsTo(const QString& path);

    // An access token the Drive routes accept, as if a sign-in had left it.
    QString issueAccessToken();
    // Makes every access token issued so far invalid: Drive answers 401 to them.
    void expireAccessTokens() { control("POST", "oauth/expire", QJsonObject {}); }
    // Stores Drive items as given (absent ids, parents, trashed and times filled in); the stored items.
    QJsonArray seedDriveItems(const QJsonArray& items);
    // Stores one item named `name` in the folder `parent`; its id.
    QString seedDriveItem(const QString& name, const QString& parent, const QString& mimeType);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QUrl m_baseUrl;
};

} // namespace mv::test
