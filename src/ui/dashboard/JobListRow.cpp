#include "ui/dashboard/JobListRow.h"

#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/MenuPopup.h"
#include "ui/kit/Motion.h"
#include "ui/kit/MotionSettings.h"
#include "ui/kit/Palette.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/dashboard/JobListPresentation.h"
#include "ui/models/dashboard/SectionDerivations.h"
#include "ui/models/shared/EnumerationPresentation.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace mv {

namespace {

constexpr qreal restingStripOpacity = 0.55;

} // namespace

JobListRow::JobListRow(ViewContext& context, const BackupJob& job, const QString& lastRun,
    SectionCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_job(job)
    , m_callbacks(std::move(callbacks))
    , m_tint(PaletteRole::idle)
    , m_run(QStringLiteral("Run Now"))
    , m_edit(QStringLiteral("Edit\u2026"))
    , m_duplicate(QStringLiteral("Duplicate"))
    , m_showHistory(QStringLiteral("Show History"))
    , m_delete(QStringLiteral("Delete\u2026"))
    , m_tile(new SymbolBadge(SymbolBadge::Shape::roundedSquare, 32, 16, SymbolWeight::regular, this))
    , m_name(new ElidedLabel({}, kitFont(16, QFont::DemiBold), Palette::label, Qt::ElideRight, this))
    , m_mode(new TagChip(modeLabel(job.mode), modeSymbol(job.mode), Palette::labelSecondary, this))
    , m_source(new PathLabel({}, kitFont(12), Palette::labelSecondary, this))
    , m_destinations(new ElidedLabel({}, kitFont(12), Palette::labelSecondary, Qt::ElideRight, this))
    , m_status(new StatusChip({}, Palette::idle, std::nullopt, false, this))
    , m_lastRun(new TextLabel({}, kitFont(12), Palette::labelTertiary, this))
    , m_titleLine(new QHBoxLayout)
    , m_strip(new QWidget(this))
{
    m_run.setObjectName(QStringLiteral("runJob"));
    m_edit.setObjectName(QStringLiteral("editJob"));
    m_duplicate.setObjectName(QStringLiteral("duplicateJob"));
    m_toggle.setObjectName(QStringLiteral("toggleJob"));
    m_showHistory.setObjectName(QStringLiteral("showJobHistory"));
    m_delete.setObjectName(QStringLiteral("deleteJob"));
    connect(&m_run, &QAction::triggered, this, [this] { run(); });
    connect(&m_edit, &QAction::triggered, this, [this] { m_callbacks.openEditor(m_job); });
    connect(&m_duplicate, &QAction::triggered, this, [this] { m_context.jobs.duplicateJob(m_job); });
    connect(&m_toggle, &QAction::triggered, this, [this] { m_context.jobs.toggleJob(m_job); });
    connect(&m_showHistory, &QAction::triggered, this, [this] {
        m_context.requests.requestNavigation({ NavigationRequest::Target::activity, m_job.id });
    });
    connect(&m_delete, &QAction::triggered, this, [this] { m_context.jobs.askToDelete(m_job); });

    m_titleLine->setSpacing(7);
    m_titleLine->addWidget(m_name);
    m_titleLine->addWidget(m_mode);
    m_titleLine->addStretch(1);

    auto* whereLine = new QHBoxLayout;
    whereLine->setSpacing(6);
    whereLine->addWidget(m_source);
    whereLine->addWidget(new TextLabel(QStringLiteral("\u00B7"), kitFont(11), Palette::labelTertiary, this));
    whereLine->addWidget(m_destinations);
    whereLine->addStretch(1);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addLayout(m_titleLine);
    texts->addLayout(whereLine);

    auto* statusColumn = new QVBoxLayout;
    statusColumn->setSpacing(3);
    statusColumn->addWidget(m_status, 0, Qt::AlignRight);
    statusColumn->addWidget(m_lastRun, 0, Qt::AlignRight);

    m_more = new MenuButton(
        QStringLiteral("ellipsis"), QStringLiteral("More"), 24,
        [this](QMenu& menu) { fillPullDownMenu(menu); }, m_strip);
    auto* strip = new QHBoxLayout(m_strip);
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(2);
    strip->addWidget(new IconButton(
        QStringLiteral("play.fill"), QStringLiteral("Run now"), false, std::nullopt, 24, [this] { run(); },
        m_strip));
    strip->addWidget(new IconButton(
        QStringLiteral("pencil"), QStringLiteral("Edit job"), false, std::nullopt, 24,
        [this] { m_callbacks.openEditor(m_job); }, m_strip));
    strip->addWidget(m_more);
    auto* fade = new QGraphicsOpacityEffect(m_strip);
    m_strip->setGraphicsEffect(fade);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(12);
    row->addWidget(m_tile);
    row->addLayout(texts, 1);
    row->addSpacing(8);
    row->addLayout(statusColumn);
    row->addWidget(m_strip);

    Motion::apply(m_hoverAnimation, Motion::quick());
    connect(&m_hoverAnimation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant& value) { applyHover(value.toReal()); });
    applyHover(0);

    connect(&context.status, &StatusBoard::jobStatusChanged, this, [this](const QUuid& jobID) {
        if (jobID == m_job.id)
            showStatus();
    });
    setJob(job, lastRun);
}

void JobListRow::setJob(const BackupJob& job, const QString& lastRun)
{
    if (job.mode != m_job.mode) {
        auto* mode = new TagChip(modeLabel(job.mode), modeSymbol(job.mode), Palette::labelSecondary, this);
        delete m_titleLine->replaceWidget(m_mode, mode);
        delete m_mode;
        m_mode = mode;
    }
    m_job = job;
    m_name->setText(job.name);
    m_name->setColor(job.isEnabled ? Palette::label : Palette::labelSecondary);
    if (job.isEnabled) {
        delete m_off;
        m_off = nullptr;
    } else if (!m_off) {
        m_off = new TagChip(QStringLiteral("Off"), QStringLiteral("pause.fill"), Palette::warning, this);
        m_titleLine->insertWidget(m_titleLine->indexOf(m_mode) + 1, m_off);
    }
    m_source->setPath(job.source.path);
    m_destinations->setText(JobListPresentation::destinationSummary(job));
    m_lastRun->setText(lastRun);
    m_toggle.setText(job.isEnabled ? QStringLiteral("Disable") : QStringLiteral("Enable"));
    showStatus();
}

void JobListRow::showStatus()
{
    const DestinationDisplayStatus status = m_context.status.jobStatus(m_job.id);
    m_tint = jobTint(m_job.isEnabled, status.text);
    m_tile->setSymbol(QStringLiteral("folder.fill"), PaletteColor(m_tint), false);
    m_status->setStatus(status.text, status.color, std::nullopt, status.pulsing);
    setAccessibleName(m_job.name + QStringLiteral(" backup, ") + status.text);
}

qreal JobListRow::stripOpacity() const
{
    return static_cast<QGraphicsOpacityEffect*>(m_strip->graphicsEffect())->opacity();
}

void JobListRow::fillPullDownMenu(QMenu& menu)
{
    menu.addAction(&m_run);
    menu.addAction(&m_edit);
    menu.addAction(&m_duplicate);
    menu.addAction(&m_toggle);
    menu.addSeparator();
    menu.addAction(&m_showHistory);
    menu.addSeparator();
    menu.addAction(&m_delete);
}

void JobListRow::fillContextMenu(QMenu& menu)
{
    menu.addAction(&m_edit);
    menu.addAction(&m_run);
    menu.addAction(&m_duplicate);
    menu.addAction(&m_toggle);
    menu.addSeparator();
    menu.addAction(&m_delete);
}

void JobListRow::run()
{
    // The run goes on by itself; its progress reaches the row through the status board.
    QCoro::Task<> started = m_context.jobs.runJob(m_job);
}

void JobListRow::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    m_hoverAnimation.stop();
    const qreal target = hovering ? 1.0 : 0.0;
    if (MotionSettings::instance().reduceMotion()) {
        applyHover(target);
        return;
    }
    m_hoverAnimation.setStartValue(m_hoverProgress);
    m_hoverAnimation.setEndValue(target);
    m_hoverAnimation.start();
}

void JobListRow::applyHover(qreal progress)
{
    m_hoverProgress = progress;
    static_cast<QGraphicsOpacityEffect*>(m_strip->graphicsEffect())
        ->setOpacity(restingStripOpacity + (1 - restingStripOpacity) * progress);
    update();
}

void JobListRow::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QWidget::enterEvent(event);
}

void JobListRow::leaveEvent(QEvent* event)
{
    setHovering(false);
    QWidget::leaveEvent(event);
}

void JobListRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_callbacks.openEditor(m_job);
}

void JobListRow::contextMenuEvent(QContextMenuEvent* event)
{
    popUpMenu(*this, event->globalPos(), [this](QMenu& menu) { fillContextMenu(menu); });
    event->accept();
}

void JobListRow::paintEvent(QPaintEvent*)
{
    if (m_hoverProgress <= 0)
        return;
    QPainter(this).fillRect(rect(), Palette::well.opacity(0.7 * m_hoverProgress).resolve(this));
}

} // namespace mv
