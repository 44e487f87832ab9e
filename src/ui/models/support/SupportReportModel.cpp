#include "ui/models/support/SupportReportModel.h"

#include "coordination/HistoryFeed.h"
#include "engine/PlanBuilder.h"
#include "model/ConfigurationStore.h"
#include "ui/models/settings/RsyncVersionProbe.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QPointer>

#include <chrono>

#include <qcoro/qcorofuture.h>

namespace mv {

SupportReportModel::SupportReportModel(
    ViewContext& context, Clock& clock, SystemFacts system, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_clock(clock)
    , m_system(std::move(system))
    , m_jobCount(context.configuration.config().jobs.size())
    , m_totalRuns(context.history.stats().totalRuns)
    , m_lastSuccess(context.status.summary().lastSuccessfulBackup)
{
    connect(&context.configuration, &ConfigurationStore::changed, this, &SupportReportModel::followCounts);
    connect(&context.history, &HistoryFeed::changed, this, &SupportReportModel::followCounts);
    connect(&context.status, &StatusBoard::summaryChanged, this, &SupportReportModel::followCounts);
}

void SupportReportModel::followCounts()
{
    const qsizetype jobCount = m_context.configuration.config().jobs.size();
    const qint64 totalRuns = m_context.history.stats().totalRuns;
    // The board follows a finished run a turn of the event loop after the history may have.
    const std::optional<QDateTime> lastSuccess = m_context.status.summary().lastSuccessfulBackup;
    if (jobCount == m_jobCount && totalRuns == m_totalRuns && lastSuccess == m_lastSuccess)
        return;
    m_jobCount = jobCount;
    m_totalRuns = totalRuns;
    m_lastSuccess = lastSuccess;
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
        = m_context.history.search(SupportReport::failureLimit, { {}, RunResult::failed, {} });
    const AppConfiguration& config = m_context.configuration.config();
    SupportReportInputs inputs { m_clock.now(), m_system,
        PlanBuilder::resolveRsyncExecutable(config.settings), std::nullopt, config.jobs, config.settings,
        m_context.status.availability(), m_context.status.summary().lastSuccessfulBackup,
        m_context.history.stats().totalRuns, {}, m_context.configuration.supportFolder() };
    if (inputs.rsyncExecutable) {
        auto probing = RsyncVersionProbe::read(*inputs.rsyncExecutable);
        inputs.rsyncVersion = co_await probing;
    }
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
    auto gathering = gather();
    co_return co_await gathering;
}

} // namespace mv
