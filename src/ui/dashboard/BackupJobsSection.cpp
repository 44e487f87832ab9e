#include "ui/dashboard/BackupJobsSection.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/dashboard/JobListRow.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/JobListPresentation.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

BackupJobsSection::BackupJobsSection(AppState& app, Clock& clock, SectionCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_clock(clock)
    , m_callbacks(std::move(callbacks))
    , m_search(TextField::search(QStringLiteral("Search jobs, folders or destinations"), 320, true, this))
    , m_showDisabled(new QCheckBox(QStringLiteral("Show disabled"), this))
    , m_page(new QVBoxLayout(this))
    , m_refresh(this, [this] { refresh(); })
{
    m_showDisabled->setFont(kitFont(13));
    m_showDisabled->setChecked(true);

    auto* topBar = new QHBoxLayout;
    topBar->setSpacing(10);
    topBar->addWidget(m_search, 4);
    topBar->addWidget(m_showDisabled);
    topBar->addStretch(1);

    m_page->setContentsMargins(0, 0, 0, 0);
    m_page->setSpacing(14);
    m_page->addLayout(topBar);
    m_page->addStretch(1);

    connect(m_search, &TextField::textChanged, this, [this] { refresh(); });
    connect(m_showDisabled, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(&app, &AppState::changed, this, [this] { m_refresh.request(); });
    BackupCoordinator& coordinator = app.coordinator();
    connect(&coordinator, &BackupCoordinator::runAdded, this, [this] { m_refresh.request(); });
    connect(&coordinator, &BackupCoordinator::runChanged, this, [this] { m_refresh.request(); });
    connect(&coordinator, &BackupCoordinator::runRemoved, this, [this] { m_refresh.request(); });
    refresh();
}

QList<JobListRow*> BackupJobsSection::rows() const
{
    return m_body ? m_body->findChildren<JobListRow*>() : QList<JobListRow*> {};
}

void BackupJobsSection::refresh()
{
    const QList<BackupJob>& all = m_app.store().config().jobs;
    const QDateTime now = m_clock.now();
    std::vector<ShownJob> shown;
    for (const BackupJob& job :
        JobListPresentation::filtered(all, m_search->text(), m_showDisabled->isChecked()))
        shown.push_back(
            { job, m_app.jobStatus(job), JobListPresentation::lastRunLine(job.lastActivity(), now) });
    if (m_body && shown == m_shown && m_anyJob == !all.isEmpty())
        return;
    m_shown = shown;
    m_anyJob = !all.isEmpty();
    delete m_body;

    if (shown.empty()) {
        auto* empty = m_anyJob
            ? new EmptyStateView(QStringLiteral("folder.badge.plus"), QStringLiteral("No jobs match"),
                QStringLiteral("Try a different search, or show disabled jobs."), std::nullopt, {})
            : new EmptyStateView(QStringLiteral("folder.badge.plus"), QStringLiteral("No backup jobs yet"),
                QStringLiteral("Add a source folder and at least one destination."),
                QStringLiteral("Add Backup"), [this] {
                    m_app.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
                });
        m_body = new QWidget;
        auto* padded = new QVBoxLayout(m_body);
        padded->setContentsMargins(0, 8, 0, 0);
        padded->addWidget(cardSurface(empty, 10));
    } else {
        auto* card = new CardSurface(10, false, std::nullopt);
        auto* list = new QVBoxLayout(card);
        list->setContentsMargins(0, 0, 0, 0);
        list->setSpacing(0);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            list->addWidget(
                new JobListRow(m_app, shown[i].job, shown[i].status, shown[i].lastRun, m_callbacks, card));
            if (i + 1 < shown.size())
                list->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 44, card));
        }
        m_body = card;
    }
    m_page->insertWidget(1, m_body);
    m_body->show();
}

} // namespace mv
