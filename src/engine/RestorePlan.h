#pragma once

#include "engine/RestoreItem.h"
#include "engine/RestoreRequest.h"

#include <QList>
#include <QMap>
#include <QString>

namespace mv {

// A checked restore: one item per selected path, in the request's order, and the rsync that copies them.
struct RestorePlan {
    RestoreRequest request;
    QList<RestoreItem> items;
    QString executable;
    QMap<QString, QString> environment;

    bool operator==(const RestorePlan&) const = default;
};

} // namespace mv
