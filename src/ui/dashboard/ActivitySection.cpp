#include "ui/dashboard/ActivitySection.h"

#include "coordination/HistoryFeed.h"
#include "coordination/JobActions.h"
#include "model/ConfigurationStore.h"
#include "model/Format.h"
#include "platform/Clock.h"
#include "platform/WhenFinished.h"
#include "platform/WorkerPool.h"
#include "ui/dashboard/ActivityInspector.h"
#include "ui/dashboard/ActivityListDelegate.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/Confirmation.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/TextField.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/ActivityListModel.h"
#include "ui/models/dashboard/ActivitySectionLogic.h"
#include "ui/models/dashboard/DashboardModel.h"
#include "ui/models/shared/ViewContext.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QVBoxLayout>

namespace mv {

struct ActivitySection::Load {
    std::vector<BackupRunRecord> records;
    ActivityListModel::Rows rows;
    ActivityListDelegate::Rows detailRows;
};

namespace {

// One figure of the summary bar: its title and its value.
TextLabel* addSummaryItem(QHBoxLayout* bar, const QString& title, QWidget* parent)
{
    auto* item = new QHBoxLayout;
    item->setSpacing(4);
    item->addWidget(new TextLabel(title, kitFont(12), Palette::labelTertiary, parent));
    auto* value = new TextLabel({}, kitFont(13, QFont::DemiBold), Palette::label, parent);
    item->addWidget(value);
    bar->addLayout(item);
    return value;
}

} // namespace

ActivitySection::ActivitySection(ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts,
    std::function<void(const BackupRunRecord&)> showLog, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_ui(ui)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_showLog(std::move(showLog))
    , m_search(TextField::search(QStringLiteral("Search job, path or error"), 300, false, this))
    , m_resultPicker(new QComboBox(this))
    , m_jobPicker(new QComboBox(this))
    , m_actions(new MenuButton(
          QStringLiteral("ellipsis.circle"), QStringLiteral("History actions"), 24,
          [this](QMenu& menu) { fillActionsMenu(menu); }, this))
    , m_listColumn(new QVBoxLayout)
    , m_model(new ActivityListModel(this))
    , m_listView(new QListView(this))
    , m_delegate(new ActivityListDelegate(*m_model, m_listView))
    , m_inspector(new ActivityInspector(clock, prompts,
          { [this](const BackupRunRecord& record) { m_showLog(record); },
              [this](const BackupRunRecord& record) { confirmDelete(record); },
              [this](const BackupRunRecord& record) { runAgain(record); } },
          this))
    , m_kept(new TextLabel({}, kitFont(12), Palette::labelTertiary))
    , m_load(this, [this] { load(); })
{
    m_resultPicker->setAccessibleName(QStringLiteral("Result"));
    m_resultPicker->setFixedWidth(140);
    for (const ActivitySectionLogic::ResultChoice& choice : ActivitySectionLogic::resultChoices())
        m_resultPicker->addItem(choice.title);
    m_jobPicker->setAccessibleName(QStringLiteral("Job"));
    m_jobPicker->setFixedWidth(160);

    auto* filterBar = new QHBoxLayout;
    filterBar->setSpacing(8);
    filterBar->addWidget(m_search, 4);
    filterBar->addWidget(m_resultPicker);
    filterBar->addWidget(m_jobPicker);
    filterBar->addStretch(1);
    filterBar->addWidget(m_actions);

    // Only the rows in sight are painted, and their heights need no layout: a long list costs no more
    // than a short one.
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setResizeMode(QListView::Adjust);
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setFocusPolicy(Qt::NoFocus);
    m_listView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_listView->viewport()->setAutoFillBackground(false);
    m_listView->hide();
    m_listColumn->addWidget(m_listView, 1);
    connect(m_listView, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (const BackupRunRecord* record = m_model->record(index.row()))
            select(record->id);
    });
    connect(m_listView, &QListView::customContextMenuRequested, this, &ActivitySection::showRowMenu);

    m_inspector->setFixedWidth(300);
    auto* main = new QHBoxLayout;
    main->setSpacing(14);
    main->addLayout(m_listColumn, 1);
    main->addWidget(m_inspector);

    auto* summary = new CardSurface(10, false, std::nullopt, this);
    summary->setFixedHeight(36);
    auto* bar = new QHBoxLayout(summary);
    bar->setContentsMargins(12, 0, 12, 0);
    bar->setSpacing(16);
    for (const QString& title : { QStringLiteral("Runs"), QStringLiteral("Copied"), QStringLiteral("Failed"),
             QStringLiteral("Transferred") })
        m_summaryValues.append(addSummaryItem(bar, title, summary));
    bar->addStretch(1);
    m_kept->setParent(summary);
    bar->addWidget(m_kept);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(12);
    page->addLayout(filterBar);
    page->addLayout(main, 1);
    page->addWidget(summary);

    // On appear: the dashboard's search text, then the job handed over, taken once.
    m_query = ui.activityQuery();
    m_search->setText(m_query);
    takeHandOver();
    refreshJobPicker();

    connect(m_search, &TextField::textChanged, this, [this](const QString& text) {
        m_query = text;
        m_load.request();
    });
    connect(m_resultPicker, &QComboBox::activated, this, [this](int index) {
        m_resultFilter = ActivitySectionLogic::resultChoices().value(index).result;
        m_load.request();
    });
    connect(m_jobPicker, &QComboBox::activated, this, [this](int index) {
        const QVariant id = m_jobPicker->itemData(index);
        m_jobFilter = id.isValid() ? std::optional(id.toUuid()) : std::nullopt;
        m_load.request();
    });
    connect(&ui, &DashboardModel::activityRequested, this, [this] {
        takeHandOver();
        refreshJobPicker();
        m_load.request();
    });
    connect(&context.configuration, &ConfigurationStore::changed, this, [this] { refreshJobPicker(); });
    connect(&context.history, &HistoryFeed::changed, this, [this] {
        if (m_context.history.stats().totalRuns != m_totalRuns)
            m_load.request();
    });
    m_totalRuns = context.history.stats().totalRuns;
    showSummary();
    m_load.request();
}

void ActivitySection::takeHandOver()
{
    if (!m_ui.activityJobID())
        return;
    m_jobFilter = m_ui.activityJobID();
    m_ui.setActivityJobID(std::nullopt);
}

void ActivitySection::refreshJobPicker()
{
    // Rebuilt only when the jobs' names or order change, so a run's progress never closes an open picker.
    QList<std::pair<QString, QUuid>> jobs;
    for (const BackupJob& job : m_context.configuration.config().jobs)
        jobs.append({ job.name, job.id });
    const int wanted = m_jobFilter ? m_jobPicker->findData(*m_jobFilter) : 0;
    if (jobs == m_pickerJobs && m_jobPicker->count() > 0 && m_jobPicker->currentIndex() == wanted)
        return;
    m_pickerJobs = jobs;
    m_jobPicker->clear();
    m_jobPicker->addItem(QStringLiteral("All jobs"));
    for (const BackupJob& job : m_context.configuration.config().jobs)
        m_jobPicker->addItem(job.name, job.id);
    m_jobPicker->setCurrentIndex(m_jobFilter ? m_jobPicker->findData(*m_jobFilter) : 0);
}

QStringList ActivitySection::dayHeaders() const
{
    return m_model->dayHeaders();
}

void ActivitySection::fillActionsMenu(QMenu& menu)
{
    menu.addAction(QStringLiteral("Export CSV\u2026"), this, [this] { m_context.history.exportHistory(); })
        ->setObjectName(QStringLiteral("exportHistory"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Clear History\u2026"), this, [this] { confirmClear(); })
        ->setObjectName(QStringLiteral("clearHistory"));
}

void ActivitySection::fillRowMenu(QMenu& menu, const BackupRunRecord& record)
{
    menu.addAction(QStringLiteral("View Details"), this, [this, id = record.id] { select(id); })
        ->setObjectName(QStringLiteral("viewRunDetails"));
    menu.addAction(QStringLiteral("View Log"), this, [this, record] { m_showLog(record); })
        ->setObjectName(QStringLiteral("viewRunLog"));
    if (const std::optional<QString> log = record.logPath) {
        menu.addAction(QStringLiteral("Reveal Log"), this, [this, path = *log] { m_prompts.reveal(path); })
            ->setObjectName(QStringLiteral("revealRunLog"));
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("Delete Entry\u2026"), this, [this, record] { confirmDelete(record); })
        ->setObjectName(QStringLiteral("deleteRunEntry"));
}

void ActivitySection::showRowMenu(const QPoint& position)
{
    const BackupRunRecord* record = m_model->record(m_listView->indexAt(position).row());
    if (!record)
        return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    fillRowMenu(*menu, *record);
    menu->popup(m_listView->viewport()->mapToGlobal(position));
}

void ActivitySection::select(const QUuid& id)
{
    m_selectedID = id;
    showSelection();
}

// The history reads on its own thread, and the grouping by day and the measuring of every row run on a
// worker, so a long history never holds the window; only the newest read is shown.
void ActivitySection::load()
{
    m_totalRuns = m_context.history.stats().totalRuns;
    const quint64 generation = ++m_loadGeneration;
    QFuture<Load> loading
        = m_context.history
              .search(ActivitySectionLogic::recordLimit, { m_query, m_resultFilter, m_jobFilter })
              .then(&WorkerPool::instance(),
                  [now = m_clock.now(), width = m_listView->viewport()->width()](
                      std::vector<BackupRunRecord> records) {
                      Load load;
                      load.rows = ActivityListModel::rowsFor(records, now);
                      load.detailRows = ActivityListDelegate::rowsFor(records, width);
                      load.records = std::move(records);
                      return load;
                  });
    whenFinished(loading, this, [this, generation](QFuture<Load> load) {
        if (generation == m_loadGeneration)
            applyLoad(load.result());
    });
}

void ActivitySection::applyLoad(Load load)
{
    m_selectedID = ActivitySectionLogic::selectionAfterLoad(load.records, m_selectedID);
    if (!m_loaded || load.records != m_records) {
        showList(std::move(load));
        showSummary();
    }
    showSelection();
}

void ActivitySection::showList(Load load)
{
    m_loaded = true;
    delete m_empty;
    m_empty = nullptr;
    m_records = std::move(load.records);
    m_model->setRows(std::move(load.rows));
    m_delegate->setRows(std::move(load.detailRows));
    m_listView->setVisible(!m_records.empty());
    if (m_records.empty()) {
        m_empty = cardSurface(new EmptyStateView(QStringLiteral("clock"), QStringLiteral("No activity yet"),
                                  ActivitySectionLogic::emptyMessage(m_query), std::nullopt, {}),
            10);
        m_listColumn->addWidget(m_empty, 1);
        m_empty->show();
    }
}

void ActivitySection::showSelection()
{
    m_model->setSelectedID(m_selectedID);
    std::optional<BackupRunRecord> selected;
    for (const BackupRunRecord& record : m_records) {
        if (m_selectedID == record.id) {
            selected = record;
            break;
        }
    }
    m_inspector->setRecord(selected);
}

void ActivitySection::showSummary()
{
    const ActivitySectionLogic::Summary summary = ActivitySectionLogic::summary(m_records);
    m_summaryValues[0]->setText(QString::number(summary.runs));
    m_summaryValues[1]->setText(QString::number(summary.copied));
    m_summaryValues[1]->setColor(Palette::success);
    m_summaryValues[2]->setText(QString::number(summary.failed));
    m_summaryValues[2]->setColor(PaletteColor(summary.failedColor));
    m_summaryValues[3]->setText(summary.transferred);
    m_kept->setText(ActivitySectionLogic::historyKeptText(
        m_context.configuration.config().settings.historyRetentionDays));
}

void ActivitySection::confirmClear()
{
    if (m_clearBox)
        m_clearBox->close();
    const QPointer<ActivitySection> section(this);
    m_clearBox = askConfirmation(window(),
        { .title = QStringLiteral("Clear all history?"),
            .text = QStringLiteral("Clear all history?"),
            .informativeText = QStringLiteral(
                "This removes the run records and their log references. Backup files are not touched."),
            .confirmText = QStringLiteral("Clear History") },
        [section] {
            if (!section)
                return;
            section->m_context.history.clear();
            section->m_selectedID.reset();
            section->m_load.request();
        });
}

void ActivitySection::confirmDelete(const BackupRunRecord& record)
{
    if (m_deleteBox)
        m_deleteBox->close();
    const QPointer<ActivitySection> section(this);
    m_deleteBox = askConfirmation(window(),
        { .title = QStringLiteral("Delete this history entry?"),
            .text = QStringLiteral("Delete this history entry?"),
            .informativeText = {},
            .confirmText = QStringLiteral("Delete Entry") },
        [section, id = record.id] {
            if (!section)
                return;
            section->m_context.history.deleteRun(id);
            section->m_load.request();
        });
}

void ActivitySection::runAgain(const BackupRunRecord& record)
{
    // The job and destination as they stand now, not as the record saw them.
    if (const std::optional<BackupJob> job = m_context.configuration.job(record.jobID)) {
        for (const BackupDestination& destination : job->destinations) {
            if (destination.id == record.destinationID) {
                QCoro::Task<> started = m_context.jobs.requestRun(*job, destination);
                return;
            }
        }
    }
    m_context.jobs.setIssue(CoordinatorIssue::make(QStringLiteral("This job no longer exists"),
        QStringLiteral("The job or destination for this run was deleted."),
        QStringLiteral("Create a new backup for this folder."), QStringLiteral("questionmark.folder")));
}

} // namespace mv
