#pragma once

#include "model/BackupSchedule.h"
#include "model/Enumerations.h"

#include <QList>
#include <QString>

#include <optional>

namespace mv {

// The destination editor's words that depend on its state: kinds, pickers, header, footer hint.
namespace DestinationEditorTexts {

// The line under the kind picker: "Local or external drive", …
QString kindHelp(DestinationKind kind);
// The folder block's label: "Mounted share folder" for network, else "Destination folder".
QString folderLabel(DestinationKind kind);

// "Add Destination" or "Edit Destination"; under it the name, or a question while there is none.
QString headerTitle(bool isNew);
QString headerSubtitle(const QString& name);
// The footer's hint while nothing else is to be said.
QString footerHint(DestinationKind kind);

// The detail of "Follow job schedule", naming the job's schedule.
QString followScheduleDetail(const BackupSchedule& jobSchedule);

// One entry of a picker: its title and the value it selects (none for "use the job's" or "the default").
template <typename T> struct PickerEntry {
    QString title;
    std::optional<T> value;

    bool operator==(const PickerEntry&) const = default;
};
// "Use job mode (<mode>)", then "Incremental copy", "Mirror", "Versioned".
QList<PickerEntry<BackupMode>> modeEntries(BackupMode defaultMode);
// "Use default (<count>)", then "No retries", "1" … "5".
QList<PickerEntry<qint64>> retryEntries(qint64 defaultAttempts);

} // namespace DestinationEditorTexts

} // namespace mv
