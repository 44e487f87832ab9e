#include "ui/dashboard/OverviewSection.h"

#include "coordination/HistoryFeed.h"
#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "platform/Clock.h"
#include "ui/dashboard/ActiveRunsOverviewCard.h"
#include "ui/dashboard/ActivityListCard.h"
#include "ui/dashboard/HealthCard.h"
#include "ui/dashboard/OverviewJobRow.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MetricView.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/SymbolImage.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/SectionDerivations.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

namespace {

enum Metric { lastSuccess, transferred, recordedRuns, warnings };

PaletteColor warningTint(int count)
{
    return count >= 1 ? Palette::warning : Palette::success;
}

// The clock over "No runs recorded yet", on a card.
QWidget* noRunsCard(QWidget* parent)
{
    auto* card = new CardSurface(10, false, std::nullopt, parent);
    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(0, 28, 0, 28);
    stack->setSpacing(8);
    stack->addWidget(
        new SymbolImage(QStringLiteral("clock"), 24, SymbolWeight::light, Palette::labelTertiary, card), 0,
        Qt::AlignHCenter);
    stack->addWidget(
        new TextLabel(QStringLiteral("No runs recorded yet"), kitFont(15), Palette::labelSecondary, card), 0,
        Qt::AlignHCenter);
    return card;
}

// A column of the row that the jobs and the recent activity share equally: what its content would like to be
// wide is ignored, so a long line in one cannot take the other's half; the line is cut instead.
QWidget* equalColumn(QVBoxLayout* column, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    holder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    column->setContentsMargins(0, 0, 0, 0);
    holder->setLayout(column);
    return holder;
}

} // namespace

OverviewSection::OverviewSection(
    ViewContext& context, Clock& clock, SectionCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_clock(clock)
    , m_callbacks(std::move(callbacks))
    , m_health(new HealthCard(context, this))
    , m_activeRuns(new ActiveRunsOverviewCard(context.runs, context.jobs, context.commands, this))
    , m_jobsHeader(new SectionHeader(
          QStringLiteral("Jobs"), 0, QStringLiteral("arrow.up.right"), QStringLiteral("Open Backup Jobs"),
          [&context] {
              // The Backup Jobs page, not the overview this button sits on.
              context.requests.requestNavigation({ NavigationRequest::Target::job, std::nullopt });
          },
          this))
    , m_activityHeader(new SectionHeader(
          QStringLiteral("Recent activity"), std::nullopt, QStringLiteral("arrow.up.right"),
          QStringLiteral("Open Activity"),
          [&context] {
              context.requests.requestNavigation({ NavigationRequest::Target::activity, std::nullopt });
          },
          this))
    , m_jobsColumn(new QVBoxLayout)
    , m_activityColumn(new QVBoxLayout)
    , m_refresh(this, [this] { refresh(); })
{
    m_metrics = {
        new MetricView(MetricView::Style::card, QStringLiteral("Last successful backup"),
            QStringLiteral("checkmark.seal"), Palette::success, this),
        new MetricView(MetricView::Style::card, QStringLiteral("Data transferred"),
            QStringLiteral("arrow.up.arrow.down"), Palette::accent, this),
        new MetricView(MetricView::Style::card, QStringLiteral("Recorded runs"),
            QStringLiteral("clock.arrow.circlepath"), Palette::offline, this),
        new MetricView(MetricView::Style::card, QStringLiteral("Jobs with warnings"),
            QStringLiteral("exclamationmark.triangle"), Palette::success, this),
    };
    auto* metricsRow = new QHBoxLayout;
    metricsRow->setSpacing(12);
    for (MetricView* card : std::as_const(m_metrics))
        metricsRow->addWidget(card, 1);

    m_jobsColumn->setSpacing(10);
    m_jobsColumn->addWidget(m_jobsHeader);
    m_activityColumn->setSpacing(10);
    m_activityColumn->addWidget(m_activityHeader);
    auto* lowerRow = new QHBoxLayout;
    lowerRow->setSpacing(16);
    lowerRow->addWidget(equalColumn(m_jobsColumn, this), 1);
    lowerRow->addWidget(equalColumn(m_activityColumn, this), 1);
    m_jobsColumn->addStretch(1);
    m_activityColumn->addStretch(1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(16);
    page->addWidget(m_health);
    page->addWidget(m_activeRuns);
    page->addLayout(metricsRow);
    page->addLayout(lowerRow);
    page->addStretch(1);

    const auto later = [this] { m_refresh.request(); };
    connect(&context.configuration, &ConfigurationStore::changed, this, later);
    connect(&context.status, &StatusBoard::jobStatusChanged, this, later);
    connect(&context.status, &StatusBoard::summaryChanged, this, later);
    connect(&context.history, &HistoryFeed::changed, this, later);
    refresh();
}

void OverviewSection::refresh()
{
    const HistoryStats& stats = m_context.history.stats();
    const int warningJobs = warningCount(m_context.configuration.config().jobs, m_context.status);
    m_metrics[lastSuccess]->setValue(
        Format::relative(m_context.status.summary().lastSuccessfulBackup, m_clock.now()), Palette::success);
    m_metrics[transferred]->setValue(Format::bytes(stats.totalBytes), Palette::accent);
    m_metrics[recordedRuns]->setValue(Format::grouped(stats.totalRuns), Palette::offline);
    m_metrics[warnings]->setValue(QString::number(warningJobs), warningTint(warningJobs));

    refreshJobs();
    refreshRecentRuns();
}

void OverviewSection::refreshJobs()
{
    const QList<BackupJob>& jobs = m_context.configuration.config().jobs;
    const QDateTime now = m_clock.now();
    std::vector<ShownJob> shown;
    for (const BackupJob& job : jobs)
        shown.push_back(
            { job, m_context.status.jobStatus(job.id), Format::relative(job.lastActivity(), now) });
    m_jobsHeader->setCount(jobs.size());
    if ((m_jobsContent || m_jobsBuilding) && shown == m_jobsShown)
        return;
    m_jobsShown = shown;
    delete m_jobsBuilding;

    if (shown.empty()) {
        auto* empty = new EmptyStateView(QStringLiteral("tray"), QStringLiteral("No backup jobs yet"),
            QStringLiteral("Add a folder and choose where its copies should live."),
            QStringLiteral("Add Backup"), [this] {
                m_context.requests.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
            });
        placeJobs(cardSurface(empty, 10));
        return;
    }
    // Filled while hidden and shown whole: each row shown in a visible list would lay out the whole list.
    auto* card = new CardSurface(10, false, std::nullopt, this);
    card->hide();
    auto* list = new QVBoxLayout(card);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    m_jobsBuilding = card;
    addJobRows(0);
}

void OverviewSection::addJobRows(std::size_t first)
{
    QWidget* card = m_jobsBuilding;
    // A batch in a widget of its own: painting a widget looks at each of its siblings.
    auto* batch = new QWidget(card);
    auto* list = new QVBoxLayout(batch);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    card->layout()->addWidget(batch);
    const std::size_t end = std::min(m_jobsShown.size(), first + jobRowsPerBatch);
    for (std::size_t i = first; i < end; ++i) {
        const ShownJob& shown = m_jobsShown[i];
        list->addWidget(new OverviewJobRow(
            shown.job, shown.status, shown.lastActivity, m_callbacks.openEditor,
            [this](const BackupJob& job) { runJob(job); }, batch));
        if (i + 1 < m_jobsShown.size())
            list->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 44, batch));
    }
    if (end == m_jobsShown.size()) {
        m_jobsBuilding = nullptr;
        placeJobs(card);
        return;
    }
    // Queued behind what the rows so far have posted; dropped with the card when a newer list replaces it.
    QMetaObject::invokeMethod(
        card, [this, end] { addJobRows(end); }, Qt::QueuedConnection);
}

void OverviewSection::placeJobs(QWidget* content)
{
    delete m_jobsContent;
    m_jobsContent = content;
    m_jobsColumn->insertWidget(1, m_jobsContent);
    m_jobsContent->show();
}

void OverviewSection::refreshRecentRuns()
{
    const std::vector<BackupRunRecord>& recent = m_context.history.recentRuns();
    std::vector<BackupRunRecord> shown(
        recent.begin(), recent.begin() + std::min<std::ptrdiff_t>(recentRunsShown, std::ssize(recent)));
    if (m_activityContent && shown == m_runsShown)
        return;
    m_runsShown = shown;
    delete m_activityContent;
    if (shown.empty())
        m_activityContent = noRunsCard(this);
    else
        m_activityContent = new ActivityListCard(shown, true, m_callbacks.showLog, m_clock.now(), this);
    m_activityColumn->insertWidget(1, m_activityContent);
    m_activityContent->show();
}

void OverviewSection::runJob(const BackupJob& job)
{
    // The run goes on by itself; its progress reaches the page through the run list.
    QCoro::Task<> started = m_context.jobs.runJob(job);
}

} // namespace mv
