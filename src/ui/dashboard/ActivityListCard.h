#pragma once

#include "model/BackupRunRecord.h"
#include "ui/kit/CardSurface.h"

#include <functional>
#include <vector>

namespace mv {

class RecentRunRow;

// Runs of the history on one card, in the order given, each row opening that run's log when pressed.
class ActivityListCard : public CardSurface {
    Q_OBJECT
public:
    ActivityListCard(const std::vector<BackupRunRecord>& records, bool showJob,
        std::function<void(const BackupRunRecord&)> showLog, const QDateTime& now, QWidget* parent = nullptr);
    QList<RecentRunRow*> rows() const { return m_rows; }

private:
    QList<RecentRunRow*> m_rows;
};

} // namespace mv
