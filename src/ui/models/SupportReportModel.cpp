#include "ui/models/SupportReportModel.h"

#include "coordination/AppState.h"
#include "engine/PlanBuilder.h"
#include "model/ConfigurationStore.h"
#include "ui/models/RsyncVersionProbe.h"

#include <QPointer>

#include <chrono>

#include <qcoro/qcorofuture.h>

namespace mv {

SupportReportModel::SupportReportModel(AppState& app, Clock& clock, SystemFacts system, QObject* parent)
    : QObject(parent)
    , m_app(app)
    , m_clock(clock)
    , m_system(std::move(system))
    , m_jobCount(app.store().config().jobs.size())
    , m_totalRuns(app.historyStats().totalRuns)
{
    connect(&app, &AppState::changed, this, &SupportReportModel::followCounts);
    connect(&app, &AppState::historyChanged, this, &SupportReportModel::followCounts);
}

void SupportReportModel::followCounts()
{
    const qsizetype jobCount = m_app.store().config().jobs.size();
    const qint64 totalRuns = m_app.historyStats().totalRuns;
    if (jobCount == m_jobCount && totalRuns == m_totalRuns)
        return;
    m_jobCount = jobCount;
    m_totalRuns = totalRuns;
    refresh();
}

void SupportReportModel::refresh()
{
    QCoro::Task<SupportReport> started = gather();
}

QCoro::Task<SupportReport> SupportReportModel::gather()
{
    QPointer<SupportReportModel> self(this);
    const quint64 generation = ++m_started;
    m_gathering = true;
    // Everything but rsync's version and the failures is read now, so nothing of the state hub is touched
    // after the waits. The failures come from the history's own thread.
    QFuture<std::vector<BackupRunRecord>> failures
        = m_app.history().fetchAsync(SupportReport::failureLimit, 0, {}, RunResult::failed);
    const AppConfiguration& config = m_app.store().config();
    SupportReportInputs inputs { m_clock.now(), m_system,
        PlanBuilder::resolveRsyncExecutable(config.settings), std::nullopt, config.jobs, config.settings,
        m_app.monitor().availability(), m_app.lastSuccessfulBackup(), m_app.historyStats().totalRuns, {},
        m_app.store().supportFolder() };
    if (inputs.rsyncExecutable)
        inputs.rsyncVersion = co_await RsyncVersionProbe::read(*inputs.rsyncExecutable);
    inputs.failedRuns = co_await failures;

    SupportReport report = SupportReport::make(inputs);
    if (self && generation == m_started) {
        m_gathering = false;
        m_report = report;
        Q_EMIT reportChanged();
    }
    co_return report;
}

QCoro::Task<SupportReport> SupportReportModel::current()
{
    if (m_report) {
        // A copy: QCoro moves from any lvalue handed to co_return, which would empty the held report.
        SupportReport held = *m_report;
        co_return held;
    }
    co_return co_await gather();
}

} // namespace mv
