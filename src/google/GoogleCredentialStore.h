#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include <mutex>
#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

class SecretBackend;

// The Google secrets of the program (the OAuth client secret, the refresh token and the account e-mail) in
// the keyring, behind an in-memory cache so that views asking "signed in?" on every redraw never reach the
// keyring after the first read. Keyring calls run on the worker pool, never on the caller's thread.
//
// With MARROWVALE_GOOGLE_EPHEMERAL=1 (read on every call) nothing touches the keyring: values live in memory,
// seeded from MARROWVALE_GOOGLE_CLIENT_SECRET, MARROWVALE_GOOGLE_REFRESH_TOKEN and MARROWVALE_GOOGLE_ACCOUNT
// while memory has none for their account.
//
// It and its backend must outlive every read(), save() and remove() under way.
class GoogleCredentialStore {
public:
    static constexpr QLatin1StringView clientSecret { "client-secret" };
    static constexpr QLatin1StringView refreshToken { "refresh-token" };
    static constexpr QLatin1StringView accountEmail { "account-email" };

    explicit GoogleCredentialStore(SecretBackend& backend);
    GoogleCredentialStore(const GoogleCredentialStore&) = delete;
    GoogleCredentialStore& operator=(const GoogleCredentialStore&) = delete;

    static bool isEphemeral();

    // The stored text, or none. A keyring failure other than "no such item" is not remembered, so the next
    // read asks again.
    QCoro::Task<std::optional<QString>> read(QString account);
    // True when stored. Replaces the item in one step: after a failure the old secret and its cache stay.
    QCoro::Task<bool> save(QString value, QString account);
    // True when an item was removed.
    QCoro::Task<bool> remove(QString account);

    // What read() would answer without asking the keyring: none for an account not read yet.
    std::optional<QString> cachedValue(const QString& account) const;

private:
    std::optional<QString> readEphemeral(const QString& account) const;
    std::optional<std::optional<QString>> fromCache(const QString& account) const;

    SecretBackend& m_backend;
    mutable std::mutex m_lock; // guards the three collections, never held across a keyring call
    mutable QHash<QString, QString> m_ephemeral; // seeded from the environment on first read
    QHash<QString, QString> m_cached;
    QSet<QString> m_absent;
};

} // namespace mv
