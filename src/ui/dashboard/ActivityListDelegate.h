#pragma once

#include "ui/dashboard/ActivityDetailRow.h"

#include <QHash>
#include <QStyledItemDelegate>
#include <QUuid>

#include <memory>
#include <vector>

namespace mv {

class ActivityListModel;

// Paints the Activity list's rows: a day's header in small capitals above the day's card, and each run as
// an ActivityDetailRow on that card, a hairline between runs. Row heights come from the fonts and the
// errors alone, so the list places its rows without laying any out; only the rows in sight are painted.
class ActivityListDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Rows made ahead of painting, by run.
    using Rows = QHash<QUuid, std::shared_ptr<const ActivityDetailRow>>;

    explicit ActivityListDelegate(ActivityListModel& model, QObject* parent = nullptr);

    // The rows of `records`, measured for a list `width` wide: made off the main thread, they leave the
    // list's layout and painting only the drawing.
    static Rows rowsFor(const std::vector<BackupRunRecord>& records, int width);
    // Takes `rows` for the list the model holds now; runs missing from them are made when first painted.
    void setRows(Rows rows);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const ActivityDetailRow& row(const BackupRunRecord& record) const;
    void paintHeader(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paintRun(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    ActivityListModel& m_model;
    // The rows made so far, until the list is replaced.
    mutable Rows m_rows;
};

} // namespace mv
