#include "shell/MenuBarPanel.h"

#include "coordination/ProgramRequests.h"
#include "shell/ActiveRunsSection.h"
#include "shell/JobsSection.h"
#include "shell/ListFade.h"
#include "shell/PanelEntries.h"
#include "shell/PanelFooter.h"
#include "shell/PanelHeader.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/Palette.h"
#include "ui/models/panel/JobsModel.h"
#include "ui/models/shared/ViewContext.h"

#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace mv {

MenuBarPanel::MenuBarPanel(ViewContext& context, qreal cornerRadius, QWidget* parent)
    : QWidget(parent)
    , m_cornerRadius(cornerRadius)
    , m_jobsModel(new JobsModel(context.configuration, context.status, this))
    , m_header(new PanelHeader(context))
    , m_empty(new EmptyStateView(QStringLiteral("shield.lefthalf.filled"),
          QStringLiteral("Nothing is backed up yet"),
          QStringLiteral(
              "Choose a folder and a destination. Marrowvale copies changes and never deletes anything "
              "unless you ask it to."),
          QStringLiteral("Add Backup"),
          [&context] {
              context.requests.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
          }))
    , m_emptyPage(new QWidget)
    , m_scroll(new QScrollArea)
    , m_summary(makeSummaryStrip(context, nullptr))
    , m_active(new ActiveRunsSection(context))
    , m_jobs(new JobsSection(context))
    , m_footer(new PanelFooter(context))
    , m_refresh(this, [this] { refresh(); })
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

    // The list of jobs, not their statuses: each card follows its own job.
    const auto request = [this] { m_refresh.request(); };
    connect(m_jobsModel, &QAbstractItemModel::rowsInserted, this, request);
    connect(m_jobsModel, &QAbstractItemModel::rowsRemoved, this, request);
    connect(m_jobsModel, &QAbstractItemModel::rowsMoved, this, request);
    connect(m_jobsModel, &QAbstractItemModel::modelReset, this, request);
    refresh();
}

MenuBarPanel::~MenuBarPanel() = default;

void MenuBarPanel::refresh()
{
    const QList<JobRow>& jobs = m_jobsModel->rows();
    // Before the list is hidden, so that the cards of the last jobs go with them.
    m_jobs->setJobs(jobs);
    m_emptyPage->setVisible(jobs.isEmpty());
    m_scroll->setVisible(!jobs.isEmpty());
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
