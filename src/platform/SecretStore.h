#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <optional>

namespace mv::SecretStore {

// Secrets in the desktop keyring (the freedesktop Secret Service), one item per (service, account) pair in
// the default collection. Every call gives up after `timeout`, so an unlock prompt that nobody answers, or a
// keyring daemon that never replies, cannot hang the caller: it then reads as "no item" or "not stored".

inline constexpr std::chrono::milliseconds defaultTimeout { 5000 };

enum class LookupOutcome {
    found,
    notFound, // the keyring answered and holds no such item
    failed, // locked, unreachable, too slow or an error: the item may well exist
};

struct Lookup {
    LookupOutcome outcome = LookupOutcome::failed;
    QByteArray secret; // only when found
};

// The stored bytes, telling a missing item apart from a keyring that could not say.
Lookup find(
    const QString& service, const QString& account, std::chrono::milliseconds timeout = defaultTimeout);

// The stored bytes, or none when there is no item, the keyring is locked, unreachable or too slow.
std::optional<QByteArray> lookup(
    const QString& service, const QString& account, std::chrono::milliseconds timeout = defaultTimeout);

// Creates the item or replaces the existing one in a single call; on false any previous item is unchanged.
bool store(const QString& service, const QString& account, const QByteArray& secret,
    std::chrono::milliseconds timeout = defaultTimeout);

enum class RemoveOutcome { removed, nothingToRemove, failed };

// Deletes the item, telling whether there was one.
RemoveOutcome erase(
    const QString& service, const QString& account, std::chrono::milliseconds timeout = defaultTimeout);

// Deletes the item; true when the keyring answered, whether or not an item existed.
bool remove(
    const QString& service, const QString& account, std::chrono::milliseconds timeout = defaultTimeout);

} // namespace mv::SecretStore
