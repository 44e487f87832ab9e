#pragma once

#include "model/BackupRunRecord.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QUuid>

#include <optional>
#include <vector>

namespace mv {

// The Activity list as rows for a list view: each day's header followed by that day's runs, newest first.
// A run row says where it stands in its day, so a painter can draw the day as one card, and whether it is
// the selected run.
class ActivityListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum class Kind { dayHeader, run };
    enum Role {
        KindRole = Qt::UserRole + 1,
        // The texts shown, in reading order: a header's title, or a run's pieces.
        TextsRole,
        FirstInDayRole,
        LastInDayRole,
        LastInListRole,
        SelectedRole,
    };

    // One row: a day's header, or a run and where it stands in its day.
    struct Row {
        QString header;
        std::optional<BackupRunRecord> record;
        bool firstInDay = false;
        bool lastInDay = false;
    };
    using Rows = std::vector<Row>;

    explicit ActivityListModel(QObject* parent = nullptr);

    // `records` (newest first) grouped by the local day they started on; the headers read "TODAY",
    // "YESTERDAY" or the date, against `now`. Safe off the main thread, where a long list is better made.
    static Rows rowsFor(const std::vector<BackupRunRecord>& records, const QDateTime& now);
    void setRows(Rows rows);
    void setSelectedID(const std::optional<QUuid>& id);

    // The run on `row`, or none for a header or a row out of range.
    const BackupRunRecord* record(int row) const;
    // The row of the run `id`, or -1.
    int rowOf(const QUuid& id) const;
    QStringList dayHeaders() const;
    // The runs' rows in list order.
    QList<int> runRows() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    void changeRow(const std::optional<QUuid>& id);

    Rows m_items;
    std::optional<QUuid> m_selectedID;
};

// The texts of a run's row in reading order: job, arrow, destination, result, start time, the facts, and
// the error when there is one.
QStringList activityRowTexts(const BackupRunRecord& record);

} // namespace mv
