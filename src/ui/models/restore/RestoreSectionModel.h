#pragma once

#include "engine/RestoreRequest.h"
#include "model/BackupDestination.h"
#include "model/BackupJob.h"
#include "ui/models/restore/BackupFolderListing.h"
#include "ui/models/restore/ConflictPrompt.h"
#include "ui/models/restore/RestoreEntry.h"
#include "ui/models/restore/RestoreLocation.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

#include <qcoro/qcorotask.h>

namespace mv {

struct ViewContext;

// Everything the restore section holds while it is shown: the chosen job, destination and backup root, the
// folder shown and its listing, the selection, where restored items go, and the restore being checked or
// asked about. The job and the destination are looked up in the configuration at each use. Listings run on
// the worker pool; only the newest one is applied. Lives on the main thread.
class RestoreSectionModel : public QObject {
    Q_OBJECT
public:
    explicit RestoreSectionModel(ViewContext& context, QObject* parent = nullptr);

    const std::optional<QUuid>& jobID() const { return m_jobID; }
    const std::optional<QUuid>& destinationID() const { return m_destinationID; }
    const QString& rootPath() const { return m_rootPath; }
    const QString& currentPath() const { return m_currentPath; }
    const QList<RestoreEntry>& entries() const { return m_entries; }
    const QSet<QString>& selected() const { return m_selected; }
    RestoreLocation location() const { return m_location; }
    const QString& customTarget() const { return m_customTarget; }
    bool isLoading() const { return m_isLoading; }
    bool truncated() const { return m_truncated; }
    bool scanning() const { return m_scanning; }
    const std::optional<ConflictPrompt>& conflictPrompt() const { return m_conflictPrompt; }
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }

    // The configured jobs, in their order.
    const QList<BackupJob>& jobs() const;
    // The chosen job and destination as the configuration holds them now; none once removed.
    std::optional<BackupJob> job() const;
    std::optional<BackupDestination> destination() const;
    // The chosen destination keeps dated snapshots.
    bool isVersioned() const;
    // The chosen destination's folder is on this computer (a drive or a mounted share), so it can be
    // browsed and restored from here. An SSH server's path and a Drive folder are not.
    bool isBrowsable() const;
    // The chosen destination's snapshot folders, newest first, read from disk at each call.
    QStringList snapshots() const;

    // The section's first appearance chooses the first job and its first destination; later ones keep the
    // choices.
    void appear();
    // The pickers. A new job moves to its first destination; each choice roots the browser afresh and keeps
    // the selection.
    void chooseJob(const std::optional<QUuid>& jobID);
    void chooseDestination(const std::optional<QUuid>& destinationID);
    // Roots the browser at a snapshot and lists it.
    void chooseSnapshot(const QString& path);

    // Shows a folder of the backup and lists it.
    void open(const QString& folder);
    void openRoot();
    void openComponent(qsizetype index);
    void openParent();

    void setSelected(const QString& path, bool selected);
    void toggle(const QString& path);
    void clearSelection();
    // Selects exactly the entries of the folder shown.
    void selectAllHere();
    // Selects the whole backup and starts restoring it.
    void restoreAll();

    void setLocation(RestoreLocation location);
    void setCustomTarget(const QString& folder);

    // "Restore…" can be pressed: a browsable destination, no check under way, something selected.
    bool canRestore() const;
    // What restoring the selection would ask of the coordinator; none without a job and a destination.
    std::optional<RestoreRequest> request() const;
    // Checks the restore for files it would write over, then starts it or asks about them.
    void beginRestore();
    void answerConflict(ConflictAnswer answer);
    void dismissError();

Q_SIGNALS:
    // The choices, the root, the folder shown, the loading state or the location changed.
    void changed();
    void entriesChanged();
    void selectionChanged();
    void scanningChanged();
    void conflictPromptChanged();
    void errorMessageChanged();

private:
    void selectRoot();
    void loadEntries();
    void deliver(quint64 generation, const BackupFolderListing& listing);
    void clearListing();
    void setScanning(bool scanning);
    QCoro::Task<> checkAndStart(RestoreRequest request);

    ViewContext& m_context;
    std::optional<QUuid> m_jobID;
    std::optional<QUuid> m_destinationID;
    QString m_rootPath;
    QString m_currentPath;
    QList<RestoreEntry> m_entries;
    QSet<QString> m_selected;
    RestoreLocation m_location = RestoreLocation::original;
    QString m_customTarget;
    bool m_isLoading = false;
    bool m_truncated = false;
    bool m_scanning = false;
    std::optional<ConflictPrompt> m_conflictPrompt;
    std::optional<QString> m_errorMessage;
    bool m_appeared = false;
    quint64 m_listingGeneration = 0; // only the newest listing is applied
};

} // namespace mv
