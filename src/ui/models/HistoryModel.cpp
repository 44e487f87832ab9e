#include "ui/models/HistoryModel.h"

#include "model/HistoryRepository.h"
#include "model/UuidText.h"

namespace mv {

HistoryModel::HistoryModel(HistoryRepository& history, QObject* parent)
    : IdentityListModel<BackupRunRecord>(parent)
    , m_history(history)
    , m_reload(this, [this] { reload(); })
{
    // The repository tells from whichever thread wrote; the context object brings it here.
    const auto reloadSoon = [this] { m_reload.request(); };
    connect(&m_history, &HistoryRepository::rowAdded, this, reloadSoon);
    connect(&m_history, &HistoryRepository::rowChanged, this, reloadSoon);
    connect(&m_history, &HistoryRepository::rowRemoved, this, reloadSoon);
    connect(&m_history, &HistoryRepository::rowsRemoved, this, reloadSoon);
    fetchMore();
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_exhausted && !isApplying();
}

void HistoryModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    std::vector<BackupRunRecord> page = m_history.fetch(pageSize, int(rows().size()));
    m_exhausted = page.size() < std::size_t(pageSize);
    QList<BackupRunRecord> next = rows();
    next.append(QList<BackupRunRecord>(page.begin(), page.end()));
    apply(next);
}

// As many rows as were read, newest first: a run written on top moves the oldest one back out of reach of
// the rows read so far, for fetchMore to bring in again.
void HistoryModel::reload()
{
    const int count = std::max(int(rows().size()), pageSize);
    std::vector<BackupRunRecord> loaded = m_history.fetch(count, 0);
    m_exhausted = loaded.size() < std::size_t(count);
    apply(QList<BackupRunRecord>(loaded.begin(), loaded.end()));
}

QString HistoryModel::identity(const BackupRunRecord& row) const
{
    return uuidText(row.id);
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const BackupRunRecord& record = rows().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return record.jobName;
    case IdRole:
        return record.id;
    case ResultRole:
        return int(record.result);
    case DestinationNameRole:
        return record.destinationName;
    case StartedRole:
        return record.startedAt;
    case EndedRole:
        return record.endedAt ? QVariant(*record.endedAt) : QVariant();
    case BytesRole:
        return record.bytesTransferred;
    case ErrorRole:
        return record.errorSummary ? QVariant(*record.errorSummary) : QVariant();
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryModel::roleNames() const
{
    return { { Qt::DisplayRole, "jobName" }, { IdRole, "id" }, { ResultRole, "result" },
        { DestinationNameRole, "destinationName" }, { StartedRole, "startedAt" }, { EndedRole, "endedAt" },
        { BytesRole, "bytes" }, { ErrorRole, "error" } };
}

} // namespace mv
