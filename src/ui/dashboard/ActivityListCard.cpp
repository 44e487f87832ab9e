#include "ui/dashboard/ActivityListCard.h"

#include "ui/dashboard/RecentRunRow.h"
#include "ui/kit/Hairline.h"

#include <QVBoxLayout>

namespace mv {

ActivityListCard::ActivityListCard(const std::vector<BackupRunRecord>& records, bool showJob,
    std::function<void(const BackupRunRecord&)> showLog, const QDateTime& now, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (std::size_t i = 0; i < records.size(); ++i) {
        auto* row = new RecentRunRow(records[i], showJob, now, this);
        connect(row, &QAbstractButton::clicked, this, [showLog, record = records[i]] { showLog(record); });
        column->addWidget(row);
        m_rows.append(row);
        if (i + 1 < records.size())
            column->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 30, this));
    }
}

} // namespace mv
