#pragma once

#include "model/ActiveRun.h"
#include "ui/models/CoalescedCall.h"
#include "ui/models/IdentityListModel.h"

namespace mv {

class BackupCoordinator;

// The coordinator's runs, finished ones included while it keeps them. A run added or removed shows at the
// next turn of the event loop; progress at most every 100 ms, however often it changes.
class ActiveRunsModel final : public IdentityListModel<ActiveRun> {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds progressInterval { 100 };
    enum Role {
        JobIDRole = Qt::UserRole + 1,
        DestinationIDRole,
        DestinationNameRole,
        PhaseRole,
        FractionRole,
        BytesRole,
        RateRole,
        FilesCompletedRole,
        FilesTotalRole,
        CurrentFileRole,
        EtaRole,
        MessageRole
    };

    explicit ActiveRunsModel(BackupCoordinator& coordinator, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QString identity(const ActiveRun& row) const override;
    void refresh();

    BackupCoordinator& m_coordinator;
    CoalescedCall m_membership;
    CoalescedCall m_progress;
};

} // namespace mv
