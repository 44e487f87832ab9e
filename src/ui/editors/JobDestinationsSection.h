#pragma once

#include "model/BackupDestination.h"

#include <QList>
#include <QWidget>

class QVBoxLayout;

namespace mv {

class DestinationRow;
class JobEditorModel;
class SectionHeader;

// "Destinations": the job's destinations on a card, one row each, or a dashed box asking for the first one.
// Adding and editing open the destination editor; the rows' switches and removals change the draft at once.
class JobDestinationsSection : public QWidget {
    Q_OBJECT
public:
    explicit JobDestinationsSection(JobEditorModel& model, QWidget* parent = nullptr);

    SectionHeader* header() const { return m_header; }
    const QList<DestinationRow*>& rows() const { return m_rows; }
    // The box shown while there is no destination; none otherwise.
    QWidget* emptyState() const { return m_empty; }

private:
    QWidget* makeList();
    QWidget* makeEmptyState();
    void refresh();

    // What the rows show; a change of anything else leaves them standing.
    struct Shown {
        QList<BackupDestination> destinations;
        BackupMode mode;
        BackupSchedule schedule;
        bool operator==(const Shown&) const = default;
    };

    JobEditorModel& m_model;
    SectionHeader* m_header;
    QVBoxLayout* m_column;
    QWidget* m_content = nullptr;
    QWidget* m_empty = nullptr;
    QList<DestinationRow*> m_rows;
    std::optional<Shown> m_shown;
};

} // namespace mv
