#pragma once

#include "model/AppConfiguration.h"
#include "platform/Clock.h"

#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace mv {

// The one owner of the configuration document for the whole process. Loads config.json from the support
// folder its owner gives it when created, applies edits to jobs and destinations and writes the document
// back, normally 0.25 s after the last edit. Lives on the main thread; `changed` follows every change of the
// document or of the error text.
//
// The user's file is never destroyed: a file that cannot be decoded is copied aside before anything may
// replace it, and a file that cannot be read (or copied) is never replaced while this process runs.
class ConfigurationStore : public QObject {
    Q_OBJECT
public:
    explicit ConfigurationStore(
        const QString& supportFolder, Clock& clock = Clock::system(), QObject* parent = nullptr);

    // The folder holding config.json and its exports.
    const QString& supportFolder() const { return m_supportFolder; }

    const AppConfiguration& config() const { return m_config; }
    // Replaces the document. Whoever changes it this way sets updatedAt and calls scheduleSave() itself.
    void setConfig(const AppConfiguration& config);

    // A message for the user about a damaged file or a failed save. Set by the store, never cleared.
    const std::optional<QString>& loadError() const { return m_loadError; }

    // Writes the document now and drops a pending debounced save. Answers whether the file was written.
    bool saveNow();
    // Saves 0.25 s from now; a later request replaces an earlier one.
    void scheduleSave();
    bool hasPendingSave() const { return m_pendingSave != nullptr; }

    std::optional<BackupJob> job(const QUuid& id) const;
    void addJob(const BackupJob& job);
    // Overwrites the job with the same id in place, or appends it when there is none.
    void replaceJob(const BackupJob& job);
    // Removes every job with that id; stamps and saves even when none matched.
    void deleteJob(const QUuid& id);
    // Appends a copy named "<name> Copy" with fresh ids and cleared run status, and answers it.
    std::optional<BackupJob> duplicateJob(const QUuid& id);
    // Applies `change` to that destination of that job; does nothing when either is not found.
    void updateDestination(const QUuid& jobID, const QUuid& destinationID,
        const std::function<void(BackupDestination&)>& change);

    // Writes a copy of the document, in the form of config.json, to
    // "Marrowvale-config-<UTC time with '-' for ':'>.json" in the support folder and answers its path.
    // Throws FileSystemError.
    QString exportConfiguration() const;

Q_SIGNALS:
    void changed();
    // The store set loadError(), after changed(): each time, also to the text it already had, since every
    // save that fails is one more change the user loses.
    void loadErrorChanged();

private:
    void load();
    void setLoadError(const QString& message);
    // Stamps updatedAt, tells observers and schedules a save: the end of every edit.
    void finishEdit();
    QString configurationPath() const;

    const QString m_supportFolder;
    Clock& m_clock;
    AppConfiguration m_config;
    std::optional<QString> m_loadError;
    std::shared_ptr<ClockAlarm> m_pendingSave;
    // Set when config.json exists but could not be read or kept aside: it is then never replaced.
    bool m_fileProtected = false;
};

} // namespace mv
