#pragma once

#include "model/BackupJob.h"
#include "ui/models/editors/DestinationEditorContext.h"
#include "ui/models/editors/JobEditorContext.h"
#include "ui/models/editors/SourceSizeMeasurement.h"

#include <QObject>

#include <functional>
#include <optional>

namespace mv {

struct ViewContext;

// The job editor's state: a draft copy of one job that every section reads and edits, and what the sheet
// shows beside it (the source's size, the open destination editor, the pattern being typed, the last failed
// Save's message, the mirror confirmation). Nothing reaches the configuration before save() succeeds.
class JobEditorModel : public QObject {
    Q_OBJECT
public:
    explicit JobEditorModel(
        JobEditorContext context, SourceSizeMeasurement::Measure measure = {}, QObject* parent = nullptr);

    const JobEditorContext& context() const { return m_context; }
    bool isNew() const { return m_context.isNew; }
    const BackupJob& draft() const { return m_draft; }
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    bool mirrorAcknowledged() const { return m_mirrorAcknowledged; }
    const QString& customPattern() const { return m_customPattern; }
    const std::optional<DestinationEditorContext>& destinationEditor() const { return m_destinationEditor; }
    std::optional<qint64> sourceSize() const { return m_size.size(); }
    bool sizeLoading() const { return m_size.isLoading(); }
    bool sourceOnExternalVolume() const { return m_size.isOnExternalVolume(); }

    // Whether Save can be pressed: a name that is not all blanks, a source, a destination, and mirror only
    // once confirmed.
    bool isValid() const;

    void setName(const QString& name);
    // Makes the folder at `path` the source; a job still called "New Backup" (or nothing) takes its name.
    void setSource(const QString& path);
    // Measures the source folder as it is now.
    void loadSourceSize();

    // A mode choice resets the confirmation: mirror needs it again unless the job was mirror to begin with.
    void chooseMode(BackupMode mode);
    void setMirrorAcknowledged(bool acknowledged);
    void setSchedule(const BackupSchedule& schedule);

    // Opens the destination editor on a new destination ("Backup Drive", then "Destination <n + 1>").
    void addDestination();
    // Opens the destination editor on a copy of the destination with `id`.
    void editDestination(const QUuid& id);
    // The destination editor's answers: the destination replaces the one with its id or joins the end.
    void destinationSaved(const BackupDestination& destination);
    void destinationCancelled();
    void setDestinationEnabled(const QUuid& id, bool enabled);
    void removeDestination(const QUuid& id);

    void setExclusion(BuiltInExclusion exclusion, bool excluded);
    void setCustomPattern(const QString& pattern);
    // Adds the typed pattern, trimmed, unless it is empty or already there; the field empties once added.
    void addPattern();
    void removePattern(const QString& pattern);
    // A limit of 0 means none.
    void setBandwidthLimit(qint64 kiloBytesPerSecond);
    void setOption(bool TransferOptions::*option, bool on);

    // Checks the draft in the fixed order and, when every check passes, writes the finished job into the
    // configuration and answers true. A failure sets the message and changes nothing else.
    bool save(ViewContext& context);

Q_SIGNALS:
    void changed();
    // The destination editor opened or closed.
    void destinationEditorChanged();

private:
    void edit(const std::function<void(BackupJob&)>& change);
    void openDestinationEditor(const BackupDestination& destination, bool isNew);
    void closeDestinationEditor();

    const JobEditorContext m_context;
    BackupJob m_draft;
    SourceSizeMeasurement m_size;
    std::optional<DestinationEditorContext> m_destinationEditor;
    QString m_customPattern;
    std::optional<QString> m_errorMessage;
    bool m_mirrorAcknowledged;
};

} // namespace mv
