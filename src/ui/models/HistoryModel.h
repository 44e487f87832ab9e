#pragma once

#include "model/BackupRunRecord.h"
#include "ui/models/CoalescedCall.h"
#include "ui/models/IdentityListModel.h"

namespace mv {

class HistoryRepository;

// The run history, newest first, read a page at a time as a view scrolls (fetchMore). A row written,
// finished or removed elsewhere reloads the rows read so far, once per burst.
class HistoryModel final : public IdentityListModel<BackupRunRecord> {
    Q_OBJECT
public:
    static constexpr int pageSize = 100;
    enum Role {
        IdRole = Qt::UserRole + 1,
        ResultRole,
        DestinationNameRole,
        StartedRole,
        EndedRole,
        BytesRole,
        ErrorRole
    };

    explicit HistoryModel(HistoryRepository& history, QObject* parent = nullptr);

    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QString identity(const BackupRunRecord& row) const override;
    void reload();

    HistoryRepository& m_history;
    CoalescedCall m_reload;
    bool m_exhausted = false;
};

} // namespace mv
