#pragma once

#include "model/BackupJob.h"

#include <QWidget>

namespace mv {

class StatusBoard;
class ElidedLabel;
class StatusDot;
class SymbolImage;

// One destination of a job on one line: a status dot, the symbol of the destination's kind, its name and
// its status as the status board words it, with the status's detail (or the location) as tooltip. The job
// card that holds it refreshes it.
class DestinationStatusRow : public QWidget {
    Q_OBJECT
public:
    DestinationStatusRow(StatusBoard& status, const BackupJob& job, const BackupDestination& destination,
        QWidget* parent = nullptr);

    // Shows the destination as it now stands; the destination keeps its identity (its id).
    void refresh(const BackupJob& job, const BackupDestination& destination);

    QString statusText() const;
    StatusDot* dot() const { return m_dot; }

private:
    StatusBoard& m_board;
    StatusDot* m_dot;
    SymbolImage* m_kind;
    ElidedLabel* m_name;
    ElidedLabel* m_status;
};

} // namespace mv
