#pragma once

#include <QString>
#include <QUuid>

#include <optional>

namespace mv::KeychainService {

// Where SSH key passphrases live in the user's keyring: one item per destination, under this service and the
// destination's identifier in upper case as the account.
inline constexpr char serviceName[] = "com.marrowVale.ssh-passphrase";

// The environment variable naming the destination whose passphrase the program's askpass mode prints.
inline constexpr char askpassDestinationVariable[] = "MARROWVALE_ASKPASS_DESTINATION";

QString account(const QUuid& destinationID);

// The stored passphrase, or none when there is no item, the keyring is locked or unreachable, or the stored
// bytes are not UTF-8. Never waits longer than the secret store's bound.
std::optional<QString> passphrase(const QUuid& destinationID);

// Stores or replaces the passphrase in one step: on false the previously stored passphrase is still there.
bool savePassphrase(const QString& passphrase, const QUuid& destinationID);

// Removes the destination's item; true when the keyring answered (whether or not there was one).
bool deletePassphrase(const QUuid& destinationID);

} // namespace mv::KeychainService
