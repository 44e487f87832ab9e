#pragma once

#include "model/BackupSchedule.h"
#include "model/Enumerations.h"
#include "ui/models/editors/DestinationEditorState.h"

#include <QObject>

#include <functional>

#include <qcoro/qcorotask.h>

namespace mv {

struct ViewContext;

// The destination editor's logic behind its widgets: the editing state, the Google account as the sheet
// sees it, the SSH connection test and folder creation against the server, the passphrase kept in the
// keyring, and Save. Lives on the main thread; ssh and the keyring are reached from workers, and only the
// newest test or folder creation may change what is shown. `changed` follows every change of the state.
class DestinationEditorModel : public QObject {
    Q_OBJECT
public:
    DestinationEditorModel(DestinationEditorContext context, QString sourcePath, BackupMode defaultMode,
        BackupSchedule jobSchedule, ViewContext& views, QObject* parent = nullptr);

    const DestinationEditorState& state() const { return m_state; }
    // Applies a change of the fields and tells the views.
    void edit(const std::function<void(DestinationEditorState&)>& change);

    BackupMode defaultMode() const { return m_defaultMode; }
    const BackupSchedule& jobSchedule() const { return m_jobSchedule; }
    // The mode a run of this destination uses: the override, else the job's.
    BackupMode effectiveMode() const;
    // The configured retry count, read live from the settings.
    qint64 defaultRetryAttempts() const;
    // The retries a failed run of this destination gets: its own limit, else the settings'.
    qint64 effectiveRetryCount() const;

    bool googleConfigured() const;
    bool googleConnecting() const;
    GoogleSignIn googleSignIn() const;

    QString fingerprint() const { return m_state.fingerprint(); }
    bool canSave() const;
    std::optional<QString> validate() const;
    BackupDestination buildDestination() const;

    // Starts a test of the current SSH settings; the outcome arrives later.
    void testConnection();
    // Creates the remote folder of the current settings, then tests again.
    void createRemoteFolder();
    // Stores the typed passphrase in the keyring under the destination's identifier.
    void saveKey();
    // Starts a browser sign-in with Google; the account row follows the account's own state.
    void signIn();
    // Validates, stores a typed passphrase, then announces the destination through `saved`. A failure
    // leaves a message in the footer and announces nothing.
    void save();
    bool isSaving() const { return m_saving; }

    static QString keyringFailureMessage();

Q_SIGNALS:
    void changed();
    void saved(const BackupDestination& destination);

private:
    QCoro::Task<> runTest(quint64 operation, BackupDestination destination, QString startFingerprint);
    QCoro::Task<> runFolderCreation(quint64 operation, BackupDestination destination);
    QCoro::Task<> runSaveKey(QString passphrase);
    QCoro::Task<> runSave(BackupDestination destination, QString passphrase);
    QCoro::Task<> readRefreshToken();

    ViewContext& m_context;
    BackupMode m_defaultMode;
    BackupSchedule m_jobSchedule;
    DestinationEditorState m_state;
    quint64 m_operation = 0; // the newest test or folder creation; older outcomes are dropped
    bool m_saving = false;
    bool m_savingKey = false;
};

} // namespace mv
