#pragma once

#include "model/BackupDestination.h"
#include "ui/models/editors/DestinationEditorContext.h"

#include <QString>

#include <optional>

namespace mv {

// What the destination editor knows of the Google account when it checks a Drive destination: the account
// shown, and whether its refresh token is stored. Signed in needs both.
struct GoogleSignIn {
    std::optional<QString> account;
    bool hasRefreshToken = false;

    bool isSignedIn() const { return account.has_value() && hasRefreshToken; }
};

// The destination editor's working copy of one destination, its SSH test state, and the rules by which the
// sheet saves it. Nothing here touches the configuration: buildDestination() hands back a new value.
struct DestinationEditorState {
    DestinationEditorContext context;
    QString sourcePath; // of the job being edited, for the overlap checks

    DestinationKind kind = DestinationKind::local;
    QString name;
    QString path; // local or network folder, folder on the SSH server, or Google Drive folder name
    QString host;
    QString user;
    qint64 port = 22;
    QString identityFile;
    QString passphrase; // only ever stored in the keyring, never in the destination
    bool usesJobSchedule = false;
    BackupSchedule schedule;
    std::optional<BackupMode> modeOverride;
    qint64 retention = 5;
    std::optional<qint64> retryLimit;
    qint64 retryDelay = 30;
    bool isEnabled = true;
    bool mirrorAcknowledged = true;

    std::optional<QString> errorMessage; // the footer's message of the last failed save
    std::optional<QString> testMessage;
    std::optional<bool> testSucceeded; // none before any outcome
    bool testing = false;
    std::optional<QString> testedFingerprint; // the fields a successful test vouches for
    bool createdFolder = false;

    // The state a new presentation of the sheet opens with.
    static DestinationEditorState opening(DestinationEditorContext context, QString sourcePath);

    // The SSH fields exactly as typed: host|user|port|path|identityFile.
    QString fingerprint() const;
    // Whether the primary button is enabled.
    bool canSave(const GoogleSignIn& google) const;
    // The first reason not to save, as shown to the user.
    std::optional<QString> validate(const GoogleSignIn& google) const;
    // The destination the fields describe, keeping the identity and last-run fields of the one edited.
    BackupDestination buildDestination(const std::optional<QString>& googleAccount) const;

    // Picks another kind; a Drive destination without a folder name takes the name, or "Marrowvale".
    void changeKind(DestinationKind newKind);
    // Takes a folder chosen in the open panel, and its name when the destination still has a default one.
    void takeChosenFolder(const QString& folder);
};

} // namespace mv
