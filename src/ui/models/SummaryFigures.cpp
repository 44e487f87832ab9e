#include "ui/models/SummaryFigures.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"

namespace mv {

SummaryFigures SummaryFigures::of(AppState& state, const QDateTime& now)
{
    return { Format::relative(state.lastSuccessfulBackup(), now),
        QString::number(state.store().config().jobs.size()), Format::bytes(state.totalTransferred()) };
}

} // namespace mv
