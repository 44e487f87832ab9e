#include "shell/JobCard.h"

#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "shell/DestinationStatusRow.h"
#include "shell/FolderTile.h"
#include "ui/kit/AccentTextButton.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/MenuPopup.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/panel/JobCardPresentation.h"
#include "ui/models/shared/ActiveRunsModel.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

namespace mv {

namespace P = JobCardPresentation;

JobCard::JobCard(ViewContext& context, const QUuid& jobID, QWidget* parent)
    : CardSurface(10, false, std::nullopt, parent)
    , m_context(context)
    , m_jobID(jobID)
    , m_open(QStringLiteral("Open in Dashboard"))
    , m_run(QStringLiteral("Run Now"))
    , m_duplicate(QStringLiteral("Duplicate"))
    , m_toggle(QStringLiteral("Disable"))
    , m_delete(QStringLiteral("Delete\u2026"))
    , m_refresh(this, [this] { refresh(); })
{
    m_open.setObjectName(QStringLiteral("openJobInDashboard"));
    m_run.setObjectName(QStringLiteral("runJob"));
    m_duplicate.setObjectName(QStringLiteral("duplicateJob"));
    m_toggle.setObjectName(QStringLiteral("toggleJob"));
    m_delete.setObjectName(QStringLiteral("deleteJob"));
    connect(&m_open, &QAction::triggered, this, [this] { openInDashboard(); });
    connect(&m_run, &QAction::triggered, this, [this] { runNow(); });
    connect(&m_duplicate, &QAction::triggered, this, [this] {
        if (m_job)
            m_context.jobs.duplicateJob(*m_job);
    });
    connect(&m_toggle, &QAction::triggered, this, [this] {
        if (m_job)
            m_context.jobs.toggleJob(*m_job);
    });
    connect(&m_delete, &QAction::triggered, this, [this] {
        if (m_job)
            m_context.jobs.askToDelete(*m_job);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    m_destinations = new QWidget(this);
    auto* destinations = new QVBoxLayout(m_destinations);
    destinations->setContentsMargins(12, 0, 12, 9);
    destinations->setSpacing(4);
    m_more = new AccentTextButton({}, 18, [this] {
        m_showAllDestinations = true;
        refresh();
    });
    destinations->addWidget(m_more, 0, Qt::AlignLeft);
    layout->addWidget(m_destinations);
    layout->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::half, 0, this));
    layout->addWidget(buildFooter());

    setAttribute(Qt::WA_Hover);
    const auto request = [this] { m_refresh.request(); };
    const auto requestForThisJob = [this](const auto& jobID) {
        if (jobID == m_jobID)
            m_refresh.request();
    };
    const auto requestForARunOfThisJob = [this](const RunKey& key) {
        if (key.jobID == m_jobID)
            m_refresh.request();
    };
    connect(&m_context.configuration, &ConfigurationStore::changed, this, request);
    connect(&m_context.status, &StatusBoard::jobStatusChanged, this, requestForThisJob);
    connect(&m_context.status, &StatusBoard::destinationStatusChanged, this, requestForThisJob);
    // Whether one of the job's runs is under way; its figures show elsewhere.
    connect(&m_context.runs, &ActiveRunsModel::runAdded, this, requestForARunOfThisJob);
    connect(&m_context.runs, &ActiveRunsModel::runStateChanged, this, requestForARunOfThisJob);
    connect(&m_context.runs, &ActiveRunsModel::runRemoved, this, requestForARunOfThisJob);
    refresh();
}

QWidget* JobCard::buildHeader()
{
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 10, 12, 8);
    row->setSpacing(9);
    m_tile = new FolderTile(QStringLiteral("folder.fill"), Palette::accent, header);
    row->addWidget(m_tile, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* title = new QHBoxLayout;
    title->setSpacing(6);
    m_name = new ElidedLabel({}, kitFont(15, QFont::DemiBold), Palette::label, Qt::ElideRight, header);
    m_chip = new StatusChip({}, Palette::idle, std::nullopt, false, header);
    title->addWidget(m_name, 0, Qt::AlignVCenter);
    title->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    title->addWidget(m_chip, 0, Qt::AlignVCenter);
    texts->addLayout(title);
    m_path = new PathLabel({}, kitFont(13), Palette::labelSecondary, header);
    texts->addWidget(m_path);
    row->addLayout(texts, 1);
    return header;
}

QWidget* JobCard::buildFooter()
{
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(12, 7, 12, 7);
    row->setSpacing(8);
    m_lastRun = new TextLabel({}, kitFont(12), Palette::labelTertiary, footer);
    m_runButton = new MVButton(
        P::runTitle(false), P::runSymbol(false), MVButtonKind::secondary, true, false, [this] { runNow(); },
        footer);
    row->addWidget(m_lastRun, 0, Qt::AlignVCenter);
    row->addSpacerItem(new QSpacerItem(4, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(m_runButton, 0, Qt::AlignVCenter);
    return footer;
}

void JobCard::refresh()
{
    m_job = m_context.configuration.job(m_jobID);
    if (!m_job)
        return;
    const BackupJob& job = *m_job;
    const DestinationDisplayStatus status = m_context.status.jobStatus(job.id);
    const bool busy = P::isBusy(job, m_context.runs.rows());

    m_tile->setLook(P::folderSymbol(job), P::folderTint(status.text));
    m_name->setText(job.name);
    m_chip->setStatus(status.text, status.color, std::nullopt, status.pulsing);
    m_path->setPath(job.source.path);
    showDestinations(job);
    m_lastRun->setText(P::lastRunText(job, m_context.clock.now()));

    m_runButton->setTitle(P::runTitle(busy));
    m_runButton->setSymbol(P::runSymbol(busy));
    m_runButton->setBusy(busy);
    m_runButton->setEnabled(job.isEnabled);
    m_runButton->setToolTip(P::runHelp(job));
    m_toggle.setText(P::toggleTitle(job));
    setAccessibleName(P::accessibleName(job, status));
}

void JobCard::showDestinations(const BackupJob& job)
{
    auto* layout = static_cast<QVBoxLayout*>(m_destinations->layout());
    const QList<BackupDestination> visible = P::visibleDestinations(job, m_showAllDestinations);
    QHash<QUuid, DestinationStatusRow*> kept;
    for (const BackupDestination& destination : visible) {
        DestinationStatusRow* row = m_rows.take(destination.id);
        if (row)
            row->refresh(job, destination);
        else
            row = new DestinationStatusRow(m_context.status, job, destination, m_destinations);
        kept.insert(destination.id, row);
        // Rows stand in configuration order, above the button that reveals the rest.
        layout->removeWidget(row);
        layout->insertWidget(layout->indexOf(m_more), row);
    }
    qDeleteAll(m_rows);
    m_rows = kept;

    const std::optional<QString> more = P::moreDestinationsText(job, m_showAllDestinations);
    m_more->setText(more.value_or(QString()));
    m_more->setAccessibleName(more.value_or(QString()));
    m_more->setVisible(more.has_value());
    // Without destinations the list keeps no bottom padding of its own.
    m_destinations->setVisible(!visible.isEmpty());
}

QList<DestinationStatusRow*> JobCard::destinationRows() const
{
    QList<DestinationStatusRow*> rows;
    const auto* layout = m_destinations->layout();
    for (int i = 0; i < layout->count(); ++i) {
        if (auto* row = qobject_cast<DestinationStatusRow*>(layout->itemAt(i)->widget()))
            rows.append(row);
    }
    return rows;
}

void JobCard::fillContextMenu(QMenu& menu)
{
    menu.addAction(&m_open);
    menu.addAction(&m_run);
    menu.addSeparator();
    menu.addAction(&m_duplicate);
    menu.addAction(&m_toggle);
    menu.addSeparator();
    menu.addAction(&m_delete);
}

void JobCard::openInDashboard()
{
    m_context.requests.requestNavigation({ NavigationRequest::Target::job, m_jobID });
}

void JobCard::runNow()
{
    // The run goes on by itself; progress reaches the views through the run list.
    if (m_job)
        m_context.jobs.runJob(*m_job);
}

void JobCard::enterEvent(QEnterEvent* event)
{
    setHighlighted(true);
    CardSurface::enterEvent(event);
}

void JobCard::leaveEvent(QEvent* event)
{
    setHighlighted(false);
    CardSurface::leaveEvent(event);
}

void JobCard::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void JobCard::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        openInDashboard();
    event->accept();
}

void JobCard::contextMenuEvent(QContextMenuEvent* event)
{
    popUpMenu(*this, event->globalPos(), [this](QMenu& menu) { fillContextMenu(menu); });
    event->accept();
}

} // namespace mv
