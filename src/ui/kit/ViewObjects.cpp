#include "ui/kit/ViewObjects.h"

#include "coordination/ViewSources.h"

namespace mv {

ViewObjects::ViewObjects(const ViewSources& sources)
    : m_runs(sources.coordinator)
    , m_status(sources.configuration, m_runs, sources.monitor, sources.googleAuth, sources.googleCredentials,
          sources.history, sources.clock)
    , m_commands(m_status, m_runs, sources.jobs)
    , m_context { sources.configuration, sources.clock, m_status, m_runs, sources.history, sources.jobs,
        sources.requests, sources.googleAuth, sources.googleCredentials, sources.restores, m_commands }
{
}

} // namespace mv
