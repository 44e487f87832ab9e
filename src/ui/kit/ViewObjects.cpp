#include "ui/kit/ViewObjects.h"

#include "coordination/AppState.h"

namespace mv {

ViewObjects::ViewObjects(AppState& state)
    : m_runs(state.coordinator())
    , m_status(state.store(), m_runs, state.monitor(), state.googleAuth(), state.googleCredentials(),
          state.historyFeed(), state.clock())
    , m_commands(m_status, m_runs, state.jobActions())
    , m_context { state.store(), state.clock(), m_status, m_runs, state.historyFeed(), state.jobActions(),
        state.requests(), state.googleAuth(), state.googleCredentials(), state.coordinator().restores(),
        m_commands }
{
}

} // namespace mv
