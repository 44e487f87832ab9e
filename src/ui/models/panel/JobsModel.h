#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupJob.h"
#include "ui/models/shared/CoalescedCall.h"
#include "ui/models/shared/IdentityListModel.h"

namespace mv {

class ConfigurationStore;
class StatusBoard;

struct JobRow {
    BackupJob job;
    DestinationDisplayStatus status;
    bool operator==(const JobRow&) const = default;
};

// The configuration's jobs in their order, each with its status (the roles of StatusRoles); follows the
// configuration and the jobs' statuses, a burst of changes applied once.
class JobsModel final : public IdentityListModel<JobRow> {
    Q_OBJECT
public:
    JobsModel(ConfigurationStore& configuration, StatusBoard& status, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QString identity(const JobRow& row) const override;
    void refresh();

    ConfigurationStore& m_configuration;
    StatusBoard& m_status;
    CoalescedCall m_refresh;
};

} // namespace mv
