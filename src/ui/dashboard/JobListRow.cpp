#include "ui/dashboard/JobListRow.h"

#include "coordination/AppState.h"
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
#include "ui/models/DashboardTexts.h"
#include "ui/models/EnumerationPresentation.h"
#include "ui/models/JobListPresentation.h"
#include "ui/models/SectionDerivations.h"

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

JobListRow::JobListRow(AppState& app, const BackupJob& job, const DestinationDisplayStatus& status,
    const QString& lastRun, SectionCallbacks callbacks, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_job(job)
    , m_callbacks(std::move(callbacks))
    , m_tint(jobTint(job.isEnabled, status.text))
    , m_run(QStringLiteral("Run Now"))
    , m_edit(QStringLiteral("Edit\u2026"))
    , m_duplicate(QStringLiteral("Duplicate"))
    , m_toggle(job.isEnabled ? QStringLiteral("Disable") : QStringLiteral("Enable"))
    , m_showHistory(QStringLiteral("Show History"))
    , m_delete(QStringLiteral("Delete\u2026"))
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
    connect(&m_duplicate, &QAction::triggered, this, [this] { m_app.duplicateJob(m_job); });
    connect(&m_toggle, &QAction::triggered, this, [this] { m_app.toggleJob(m_job); });
    connect(&m_showHistory, &QAction::triggered, this, [this] {
        m_app.requestNavigation({ NavigationRequest::Target::activity, m_job.id });
    });
    connect(&m_delete, &QAction::triggered, this, [this] { m_callbacks.deleteJob(m_job); });

    auto* tile = new SymbolBadge(SymbolBadge::Shape::roundedSquare, 32, 16, SymbolWeight::regular, this);
    tile->setSymbol(QStringLiteral("folder.fill"), PaletteColor(m_tint), false);

    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(7);
    titleLine->addWidget(new ElidedLabel(job.name, kitFont(16, QFont::DemiBold),
        job.isEnabled ? Palette::label : Palette::labelSecondary, Qt::ElideRight, this));
    titleLine->addWidget(
        new TagChip(modeLabel(job.mode), modeSymbol(job.mode), Palette::labelSecondary, this));
    if (!job.isEnabled)
        titleLine->addWidget(
            new TagChip(QStringLiteral("Off"), QStringLiteral("pause.fill"), Palette::warning, this));
    titleLine->addStretch(1);

    auto* whereLine = new QHBoxLayout;
    whereLine->setSpacing(6);
    whereLine->addWidget(new PathLabel(job.source.path, kitFont(12), Palette::labelSecondary, this));
    whereLine->addWidget(new TextLabel(QStringLiteral("\u00B7"), kitFont(11), Palette::labelTertiary, this));
    whereLine->addWidget(new ElidedLabel(JobListPresentation::destinationSummary(job), kitFont(12),
        Palette::labelSecondary, Qt::ElideRight, this));
    whereLine->addStretch(1);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addLayout(titleLine);
    texts->addLayout(whereLine);

    auto* statusColumn = new QVBoxLayout;
    statusColumn->setSpacing(3);
    statusColumn->addWidget(
        new StatusChip(status.text, status.color, std::nullopt, status.pulsing, this), 0, Qt::AlignRight);
    statusColumn->addWidget(
        new TextLabel(lastRun, kitFont(12), Palette::labelTertiary, this), 0, Qt::AlignRight);

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
    row->addWidget(tile);
    row->addLayout(texts, 1);
    row->addSpacing(8);
    row->addLayout(statusColumn);
    row->addWidget(m_strip);

    Motion::apply(m_hoverAnimation, Motion::quick());
    connect(&m_hoverAnimation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant& value) { applyHover(value.toReal()); });
    applyHover(0);
    setAccessibleName(job.name + QStringLiteral(" backup, ") + status.text);
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
    // The run goes on by itself; its progress reaches the views through the coordinator.
    QCoro::Task<> started = m_app.runJob(m_job);
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
