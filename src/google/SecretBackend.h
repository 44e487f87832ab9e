#pragma once

#include <QString>

#include <optional>

namespace mv {

// The keyring under the Google credentials: one secret per account name. Every call may block (on the
// keyring daemon) and is made off the main thread; each gives up after its own bound.
class SecretBackend {
public:
    enum class Outcome {
        found,
        notFound, // the keyring answered: no such item
        failed, // locked, unreachable, too slow, or the stored bytes are not text
    };
    struct Lookup {
        Outcome outcome = Outcome::failed;
        QString value; // only when found
    };

    virtual ~SecretBackend() = default;
    virtual Lookup lookup(const QString& account) = 0;
    // Creates or replaces the item in one step: on false the previous value is still stored.
    virtual bool store(const QString& account, const QString& value) = 0;
    // True only when an item was there and is now gone.
    virtual bool remove(const QString& account) = 0;
};

// The desktop keyring (the Secret Service), under the service "com.marrowVale.google".
class KeyringSecretBackend final : public SecretBackend {
public:
    Lookup lookup(const QString& account) override;
    bool store(const QString& account, const QString& value) override;
    bool remove(const QString& account) override;
};

inline constexpr char googleKeyringService[] = "com.marrowVale.google";

} // namespace mv
