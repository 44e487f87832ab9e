#include "shell/MenuBarPanel.h"

#include "coordination/AppState.h"
#include "coordination/RunPhaseGroups.h"
#include "shell/ActiveRunsSection.h"
#include "shell/JobsSection.h"
#include "shell/ListFade.h"
#include "shell/PanelEntries.h"
#include "shell/PanelFooter.h"
#include "shell/PanelHeader.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/DestructiveConfirmation.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/Palette.h"
#include "ui/models/ActiveRunsModel.h"
#include "ui/models/JobsModel.h"

#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace mv {

namespace {

// Any change of a model's rows asks for one redraw.
void follow(QAbstractItemModel* model, CoalescedCall& refresh)
{
    const auto request = [&refresh] { refresh.request(); };
    QObject::connect(model, &QAbstractItemModel::rowsInserted, model, request);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, model, request);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, model, request);
    QObject::connect(model, &QAbstractItemModel::dataChanged, model, request);
    QObject::connect(model, &QAbstractItemModel::modelReset, model, request);
}

QList<ActiveRun> liveRunsOldestFirst(const QList<ActiveRun>& runs)
{
    QList<ActiveRun> live;
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(live),
        [](const ActiveRun& run) { return isLive(run.progress.phase); });
    std::stable_sort(live.begin(), live.end(),
        [](const ActiveRun& a, const ActiveRun& b) { return a.progress.startedAt < b.progress.startedAt; });
    return live;
}

} // namespace

MenuBarPanel::MenuBarPanel(AppState& state, qreal cornerRadius, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_cornerRadius(cornerRadius)
    , m_jobsModel(new JobsModel(state, this))
    , m_runsModel(new ActiveRunsModel(state.coordinator(), this))
    , m_header(new PanelHeader(state))
    , m_empty(new EmptyStateView(QStringLiteral("shield.lefthalf.filled"),
          QStringLiteral("Nothing is backed up yet"),
          QStringLiteral(
              "Choose a folder and a destination. Marrowvale copies changes and never deletes anything "
              "unless you ask it to."),
          QStringLiteral("Add Backup"),
          [this] {
              m_state.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
          }))
    , m_emptyPage(new QWidget)
    , m_scroll(new QScrollArea)
    , m_summary(makeSummaryStrip(state, nullptr))
    , m_active(new ActiveRunsSection(state))
    , m_jobs(new JobsSection(state))
    , m_footer(new PanelFooter(state))
    , m_refresh(this, [this] { refresh(); })
    , m_runsRefresh(this, [this] { refreshRuns(); })
{
    auto* emptyColumn = new QVBoxLayout(m_emptyPage);
    emptyColumn->setContentsMargins(20, 0, 20, 0);
    emptyColumn->addStretch();
    // The full width: the view centres itself and lets its message wrap at its own limit, not at its
    // preferred width.
    emptyColumn->addWidget(m_empty);
    emptyColumn->addStretch();

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(14, 12, 14, 18);
    stack->setSpacing(14);
    stack->addWidget(m_summary);
    stack->addWidget(m_active);
    stack->addWidget(m_jobs);
    stack->addStretch(1);
    m_scroll->setWidget(content);
    // The card's backdrop shows through the list.
    content->setAutoFillBackground(false);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    // The lowest 14 % of the visible list fade out; without a backdrop there is nothing to fade into.
    new ListFade(m_scroll, 0.14, [this] { return m_backdrop ? m_backdrop() : QColor(Qt::transparent); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_header);
    column->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::half));
    column->addWidget(m_emptyPage, 1);
    column->addWidget(m_scroll, 1);
    column->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::half));
    column->addWidget(m_footer);

    follow(m_jobsModel, m_refresh);
    // The runs' figures redraw only what shows them; a run's coming, going or phase is a change of the
    // state, which redraws everything.
    follow(m_runsModel, m_runsRefresh);
    const auto request = [this] { m_refresh.request(); };
    connect(&m_state, &AppState::changed, this, request);
    connect(&m_state, &AppState::historyChanged, this, request);
    connect(&m_state, &AppState::mirrorCheckInProgressChanged, this, request);
    connect(&m_state, &AppState::pendingDeletionChanged, this, &MenuBarPanel::takeDeletionRequest);
    refresh();
}

MenuBarPanel::~MenuBarPanel() = default;

void MenuBarPanel::refresh()
{
    refreshRuns();
    const QList<JobRow>& jobs = m_jobsModel->rows();
    // Before the list is hidden, so that the cards of the last jobs go with them.
    m_jobs->setJobs(jobs);
    m_emptyPage->setVisible(jobs.isEmpty());
    m_scroll->setVisible(!jobs.isEmpty());
    const std::vector<BackupRunRecord>& recent = m_state.recentRuns();
    m_footer->setLastRun(recent.empty() ? std::nullopt : std::optional(recent.front()));
}

void MenuBarPanel::refreshRuns()
{
    m_header->refresh();
    const QList<ActiveRun> runs = liveRunsOldestFirst(m_runsModel->rows());
    m_active->setVisible(!runs.isEmpty());
    m_active->setRuns(runs);
}

void MenuBarPanel::takeDeletionRequest()
{
    const std::optional<BackupJob> requested = m_state.pendingDeletion();
    if (!requested)
        return;
    m_jobToDelete = requested;
    // Consumed once: the same job can be asked for again.
    m_state.setPendingDeletion(std::nullopt);
    confirmDeletion();
}

void MenuBarPanel::confirmDeletion()
{
    const QString title = QStringLiteral("Delete \u201c%1\u201d?")
                              .arg(m_jobToDelete ? m_jobToDelete->name : QStringLiteral("backup"));
    if (m_confirmation) {
        m_confirmation->setText(title);
        return;
    }
    const DestructiveConfirmation question = DestructiveConfirmation::make(this, title,
        QStringLiteral(
            "The job and its schedule are removed. Files already at the destination are not deleted."),
        QStringLiteral("Delete Backup"));
    QMessageBox* box = question.box;
    QPushButton* remove = question.confirm;
    box->setWindowTitle(QStringLiteral("Marrowvale"));
    connect(box, &QMessageBox::finished, this, [this, box, remove] {
        const std::optional<BackupJob> job = std::exchange(m_jobToDelete, std::nullopt);
        if (box->clickedButton() == remove && job)
            m_state.deleteJob(*job);
    });
    m_confirmation = box;
    box->open();
}

void MenuBarPanel::paintEvent(QPaintEvent*)
{
    // The footer's background reaches the card's rounded bottom edge.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath band;
    band.addRect(QRectF(0, m_footer->y(), width(), height() - m_footer->y()));
    painter.fillPath(
        continuousRoundedRect(rect(), m_cornerRadius).intersected(band), Palette::panelFooter.resolve(this));
}

} // namespace mv
