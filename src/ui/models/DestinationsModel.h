#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "coordination/JobDestination.h"
#include "ui/models/CoalescedCall.h"
#include "ui/models/IdentityListModel.h"

namespace mv {

class AppState;

struct DestinationRow {
    JobDestination pair;
    DestinationDisplayStatus status;
    bool operator==(const DestinationRow&) const = default;
};

// Every destination of every job, in configuration order, with its status (the roles of StatusRoles; the
// display text is the destination's name and JobNameRole its job's). Follows the state hub like JobsModel.
class DestinationsModel final : public IdentityListModel<DestinationRow> {
    Q_OBJECT
public:
    static constexpr int JobNameRole = Qt::UserRole + 100;

    explicit DestinationsModel(AppState& state, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QString identity(const DestinationRow& row) const override;
    void refresh();

    AppState& m_state;
    CoalescedCall m_refresh;
};

} // namespace mv
