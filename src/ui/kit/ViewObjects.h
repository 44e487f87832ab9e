#pragma once

#include "ui/kit/Commands.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

namespace mv {

struct ViewSources;

// The small objects every view follows, made once from the state hub's sources: the run list, the status
// board and the commands, with the hub's history feed, job actions and requests beside them in one
// ViewContext. The sources must outlive this object.
class ViewObjects {
public:
    explicit ViewObjects(const ViewSources& sources);

    ViewContext& context() { return m_context; }

private:
    ActiveRunsModel m_runs;
    StatusBoard m_status;
    Commands m_commands;
    ViewContext m_context;
};

} // namespace mv
