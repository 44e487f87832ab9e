#pragma once

#include "model/BackupRunRecord.h"

#include <QAbstractButton>

namespace mv {

class MVPressStyle;

// One run of the history as a pressable line: a dot in the result's colour, the job and destination (or the
// destination alone), the error in short when the run did not succeed, and how long ago it ended.
class RecentRunRow : public QAbstractButton {
    Q_OBJECT
public:
    RecentRunRow(
        const BackupRunRecord& record, bool showJob, const QDateTime& now, QWidget* parent = nullptr);
    const BackupRunRecord& record() const { return m_record; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BackupRunRecord m_record;
    MVPressStyle* m_press;
};

} // namespace mv
