#include "shell/StatusTransition.h"

namespace mv {

std::optional<bool> finishedRun(const std::optional<AggregateStatus>& last, const AggregateStatus& now)
{
    if (!last || last->kind != AggregateStatus::Kind::running)
        return std::nullopt;
    switch (now.kind) {
    case AggregateStatus::Kind::idle:
    case AggregateStatus::Kind::waiting:
        return true;
    case AggregateStatus::Kind::failed:
    case AggregateStatus::Kind::offline:
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace mv
