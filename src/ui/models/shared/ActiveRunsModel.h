#pragma once

#include "model/ActiveRun.h"
#include "ui/models/shared/CoalescedCall.h"
#include "ui/models/shared/IdentityListModel.h"

#include <QHash>

#include <optional>

namespace mv {

class BackupCoordinator;

// The run list every view follows: the coordinator's runs, finished ones included while it keeps them. It is
// the one subscriber of the coordinator's run signals. A run added or removed, or a change of its phase or
// message, shows at the next turn of the event loop; figures alone at most every 100 ms. Each change is told
// by key, so a view updates the one card or row it concerns.
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

    std::optional<ActiveRun> run(const RunKey& key) const;
    // The live runs (queued to cancelling), oldest start first.
    QList<ActiveRun> liveRuns() const;
    // How many runs are in an active phase (live and not queued).
    int activeCount() const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void runAdded(const RunKey& key);
    // The run's phase or message changed (its status did); its figures may have too.
    void runStateChanged(const RunKey& key);
    // Only the run's figures changed: bytes, speed, fraction, files, current file, time left.
    void runFiguresChanged(const RunKey& key);
    void runRemoved(const RunKey& key);

private:
    QString identity(const ActiveRun& row) const override;
    void take(const RunKey& key);
    void refresh();

    BackupCoordinator& m_coordinator;
    CoalescedCall m_membership;
    CoalescedCall m_progress;
};

} // namespace mv
