#pragma once

#include "model/BackupRunRecord.h"

#include <QWidget>

namespace mv {

class Clock;
class ElidedLabel;
class StatusDot;
class TextLabel;

// One run of the history on a line: a dot in the outcome's colour, where the run went (the job and the
// destination, or the destination alone), the error in short when it did not succeed, and how long ago it
// ended. It has no action; its users wrap it in a button. Times are read against the program's clock.
class ActivityRow : public QWidget {
    Q_OBJECT
public:
    ActivityRow(Clock& clock, const BackupRunRecord& record, bool showJob, QWidget* parent = nullptr);

    QUuid recordID() const { return m_record.id; }
    // Shows `record`, the same run as it now stands, and the time since it again.
    void refresh(const BackupRunRecord& record);

    StatusDot* dot() const { return m_dot; }
    // What the row shows, read as one line: the job → the destination, the error if any, the time since.
    QString text() const;

private:
    Clock& m_clock;
    BackupRunRecord m_record;
    StatusDot* m_dot;
    ElidedLabel* m_job = nullptr;
    TextLabel* m_arrow = nullptr;
    ElidedLabel* m_destination;
    ElidedLabel* m_error;
    TextLabel* m_time;
};

} // namespace mv
