#include "ui/dashboard/DashboardView.h"

#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/dashboard/ActivitySection.h"
#include "ui/dashboard/BackupJobsSection.h"
#include "ui/dashboard/DashboardHeader.h"
#include "ui/dashboard/DashboardSidebar.h"
#include "ui/dashboard/DestinationsSection.h"
#include "ui/dashboard/OverviewSection.h"
#include "ui/dashboard/SectionPlaceholder.h"
#include "ui/kit/Commands.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/Palette.h"
#include "ui/models/dashboard/DashboardModel.h"
#include "ui/models/shared/ViewContext.h"
#include "ui/restore/RestoreSection.h"
#include "ui/settings/SettingsSectionView.h"
#include "ui/support/SupportSectionView.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mv {

namespace {

bool scrolls(DashboardSection section)
{
    return section != DashboardSection::activity && section != DashboardSection::settings;
}

// A section in its place: in a scroll view with its margins, or directly with the fixed sections' margins.
QWidget* placed(QWidget* view, DashboardSection section)
{
    if (!scrolls(section)) {
        auto* host = new QWidget;
        auto* layout = new QVBoxLayout(host);
        layout->setContentsMargins(24, 16, 24, 18);
        layout->addWidget(view);
        return host;
    }
    auto* inner = new QWidget;
    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(24, 20, 24, 28);
    layout->addWidget(view);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setWidget(inner);
    scroll->viewport()->setAutoFillBackground(false);
    inner->setAutoFillBackground(false);
    return scroll;
}

} // namespace

DashboardView::DashboardView(
    ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_ui(ui)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_runAll(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this)
    , m_addBackup(QStringLiteral("Add Backup"))
    , m_sidebar(new DashboardSidebar(context.status, ui, clock, this))
    , m_header(new DashboardHeader(context, ui, m_addBackup, this))
    , m_content(new QVBoxLayout)
{
    connect(&m_runAll, &QShortcut::activated, &context.commands.runAll, &QAction::trigger);
    m_addBackup.setObjectName(QStringLiteral("dashboardAddBackup"));
    m_addBackup.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_addBackup.setShortcutContext(Qt::WindowShortcut);
    connect(&m_addBackup, &QAction::triggered, this, [this] { presentNewJob(); });
    // The program's command, so that its own shortcut works in this window too.
    addAction(&context.commands.runAll);
    addAction(&m_addBackup);

    m_content->setContentsMargins(0, 0, 0, 0);
    m_content->setSpacing(0);
    m_content->addWidget(m_header);
    m_content->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 0, this));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_sidebar);
    row->addWidget(new Hairline(Qt::Vertical, HairlineWeight::full, 0, this));
    row->addLayout(m_content, 1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    connect(&ui, &DashboardModel::sectionChanged, this, &DashboardView::showSection);
    connect(&ui, &DashboardModel::jobRequested, this, &DashboardView::takeJobRequest);
    connect(&ui, &DashboardModel::newJobRequested, this, &DashboardView::takeNewJobRequest);
    showSection(ui.section());
}

void DashboardView::showSection(DashboardSection section)
{
    // Each section starts afresh; the sheets and the confirmation stay as they are.
    delete m_sectionView;
    m_sectionView = placed(makeSectionView(section), section);
    m_content->addWidget(m_sectionView, 1);
    // Shown now rather than at the next turn of the event loop, so the page never shows without it.
    m_sectionView->show();

    m_header->showSection(section);
    const bool offersRunAll = section == DashboardSection::overview || section == DashboardSection::jobs;
    m_runAll.setEnabled(offersRunAll);
    m_addBackup.setEnabled(offersRunAll || section == DashboardSection::destinations);
    // A request waiting when the window is made is taken once it is shown: whoever opens the editor
    // follows the view from then on.
    if (section == DashboardSection::jobs && isVisible())
        takeJobRequest();
}

// One case a section, each on its own lines, so a section's view is added without touching the others.
QWidget* DashboardView::makeSectionView(DashboardSection section)
{
    switch (section) {
    case DashboardSection::overview:
        return new OverviewSection(m_context, m_clock,
            { [this](const BackupJob& job) { openEditor(job); },
                [this](const BackupRunRecord& record) { showLog(record); } });

    case DashboardSection::jobs:
        return new BackupJobsSection(m_context, m_clock,
            { [this](const BackupJob& job) { openEditor(job); },
                [this](const BackupRunRecord& record) { showLog(record); } });

    case DashboardSection::destinations:
        return new DestinationsSection(
            m_context, m_clock, m_prompts, [this](const BackupJob& job) { openEditor(job); });

    case DashboardSection::activity:
        return new ActivitySection(
            m_context, m_ui, m_clock, m_prompts, [this](const BackupRunRecord& record) { showLog(record); });

    case DashboardSection::restore:
        return new RestoreSection(m_context, m_prompts);

    case DashboardSection::support:
        return new SupportSectionView(m_context, m_ui, m_clock, m_prompts);

    case DashboardSection::settings:
        return new SettingsSectionView(m_context, m_prompts);
    }
    return new SectionPlaceholder(section);
}

void DashboardView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_context.configuration.config().jobs.isEmpty())
        m_ui.setSection(DashboardSection::overview);
    m_context.requests.refreshLoginItemState();
    takeJobRequest();
    takeNewJobRequest();
    // Relative times ("Last backup 5 minutes ago") are read again for the window coming on screen.
    m_sidebar->refresh();
    m_header->refresh();
}

void DashboardView::takeJobRequest()
{
    const std::optional<QUuid> requested = m_ui.selectedJobID();
    if (!requested)
        return;
    // A job that is gone opens nothing; the request stays, as the model's rule says.
    const std::optional<BackupJob> job = m_context.configuration.job(*requested);
    if (!job)
        return;
    m_ui.setSelectedJobID(std::nullopt);
    openEditorContext(JobEditorContext::existing(*job));
}

void DashboardView::takeNewJobRequest()
{
    if (!m_ui.presentNewJob())
        return;
    m_ui.setPresentNewJob(false);
    presentNewJob();
}

void DashboardView::presentNewJob()
{
    openEditorContext(JobEditorContext::newJob(m_context.configuration.config().settings, m_clock.now()));
}

void DashboardView::openEditor(const BackupJob& job)
{
    openEditorContext(JobEditorContext::existing(job));
}

void DashboardView::openEditorContext(JobEditorContext context)
{
    m_editor = std::move(context);
    Q_EMIT editorOpened(*m_editor);
}

void DashboardView::showLog(const BackupRunRecord& record)
{
    m_logRecord = record;
    Q_EMIT logRequested(record);
}

} // namespace mv
