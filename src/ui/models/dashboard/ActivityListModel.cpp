#include "ui/models/dashboard/ActivityListModel.h"

#include "model/Format.h"
#include "ui/models/dashboard/ActivityPresentation.h"
#include "ui/models/dashboard/SectionDerivations.h"

namespace mv {

ActivityListModel::ActivityListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

ActivityListModel::Rows ActivityListModel::rowsFor(
    const std::vector<BackupRunRecord>& records, const QDateTime& now)
{
    Rows rows;
    for (DayGroup& group : groupedDays(records)) {
        rows.push_back({ Format::dayHeader(group.day, now).toUpper(), std::nullopt });
        for (std::size_t i = 0; i < group.records.size(); ++i)
            rows.push_back({ {}, std::move(group.records[i]), i == 0, i + 1 == group.records.size() });
    }
    return rows;
}

void ActivityListModel::setRows(Rows rows)
{
    beginResetModel();
    m_items = std::move(rows);
    endResetModel();
}

void ActivityListModel::setSelectedID(const std::optional<QUuid>& id)
{
    if (id == m_selectedID)
        return;
    const std::optional<QUuid> previous = m_selectedID;
    m_selectedID = id;
    changeRow(previous);
    changeRow(id);
}

void ActivityListModel::changeRow(const std::optional<QUuid>& id)
{
    if (!id)
        return;
    const int row = rowOf(*id);
    if (row >= 0)
        Q_EMIT dataChanged(index(row), index(row), { SelectedRole });
}

const BackupRunRecord* ActivityListModel::record(int row) const
{
    if (row < 0 || std::size_t(row) >= m_items.size() || !m_items[row].record)
        return nullptr;
    return &*m_items[row].record;
}

int ActivityListModel::rowOf(const QUuid& id) const
{
    for (std::size_t row = 0; row < m_items.size(); ++row) {
        if (m_items[row].record && m_items[row].record->id == id)
            return int(row);
    }
    return -1;
}

QStringList ActivityListModel::dayHeaders() const
{
    QStringList headers;
    for (const Row& item : m_items) {
        if (!item.record)
            headers << item.header;
    }
    return headers;
}

QList<int> ActivityListModel::runRows() const
{
    QList<int> rows;
    for (std::size_t row = 0; row < m_items.size(); ++row) {
        if (m_items[row].record)
            rows << int(row);
    }
    return rows;
}

int ActivityListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant ActivityListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Row& item = m_items[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return item.record ? activityRowTexts(*item.record).join(QLatin1Char(' ')) : item.header;
    case KindRole:
        return QVariant::fromValue(item.record ? Kind::run : Kind::dayHeader);
    case TextsRole:
        return item.record ? activityRowTexts(*item.record) : QStringList { item.header };
    case FirstInDayRole:
        return item.firstInDay;
    case LastInDayRole:
        return item.lastInDay;
    case LastInListRole:
        return std::size_t(index.row()) + 1 == m_items.size();
    case SelectedRole:
        return item.record && m_selectedID == item.record->id;
    default:
        return {};
    }
}

QStringList activityRowTexts(const BackupRunRecord& record)
{
    QStringList texts { record.jobName, QStringLiteral("\u2192"), record.destinationName,
        ActivityPresentation::resultLabel(record.result), ActivityPresentation::startTimeText(record) };
    texts << ActivityPresentation::factLine(record);
    if (const std::optional<QString> error = ActivityPresentation::errorSummary(record))
        texts << *error;
    return texts;
}

} // namespace mv
