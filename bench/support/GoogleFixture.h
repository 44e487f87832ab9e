#pragma once

#include "coordination/GoogleDriveServices.h"
#include "google/GoogleAuthManager.h"
#include "google/GoogleCredentialStore.h"
#include "google/GoogleEndpoints.h"
#include "google/GoogleResumeStore.h"
#include "google/SecretBackend.h"
#include "platform/SystemLog.h"
#include "platform/UrlOpener.h"

#include <QHash>
#include <QMutex>
#include <QNetworkAccessManager>

namespace mv::bench {

// Secrets in memory: a benchmark must not touch the desktop keyring.
class MemorySecrets final : public SecretBackend {
public:
    Lookup lookup(const QString& account) override;
    bool store(const QString& account, const QString& value) override;
    bool remove(const QString& account) override;

private:
    QMutex m_mutex;
    QHash<QString, QString> m_values;
};

// No browser: a benchmark signs in by storing a refresh token the fake server issued.
class NoBrowser final : public UrlOpener {
public:
    bool open(const QUrl&) override { return false; }
};

class QuietLog final : public SystemLog {
public:
    void write(const QString&) override { }
};

// The Google account and Drive services a coordinator needs, on `origin` (a fake Google server's), with
// the resume files in `support`.
struct GoogleFixture {
    GoogleFixture(ConfigurationStore& store, const QUrl& origin, const QString& support);

    // Signs in as a previous launch would have left it: the client imported, `refreshToken` and the
    // account stored. False when the account is not signed in afterwards.
    bool signIn(const QString& clientFile, const QString& refreshToken, const QString& account);
    GoogleDriveServices services();

    MemorySecrets secrets;
    NoBrowser browser;
    QuietLog log;
    GoogleEndpoints endpoints;
    GoogleCredentialStore credentials { secrets };
    QNetworkAccessManager network;
    GoogleAuthManager auth;
    GoogleResumeStore resume;
};

} // namespace mv::bench
