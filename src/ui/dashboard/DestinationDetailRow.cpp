#include "ui/dashboard/DestinationDetailRow.h"

#include "coordination/JobActions.h"
#include "coordination/ProgramRequests.h"
#include "engine/SSHCommand.h"
#include "model/EffectiveValues.h"
#include "platform/Clock.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/MenuButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/PathLabel.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/StatusChip.h"
#include "ui/kit/SymbolBadge.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/dashboard/DestinationDetailPresentation.h"
#include "ui/models/shared/DestinationRowPresentation.h"
#include "ui/models/shared/EnumerationPresentation.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>

namespace mv {

namespace {

// Runs apart from the row, which may be gone when the server answers; the answer, whatever it says, is the
// banner.
QCoro::Task<> probeToBanner(QPointer<ProgramRequests> requests, BackupDestination destination)
{
    QCoro::Task<SSHCommand::ProbeResult> probing = SSHCommand::probe(destination, SSHCommand::probeTimeout);
    const SSHCommand::ProbeResult result = co_await probing;
    if (requests)
        requests->setBanner(result.message);
}

QString placeText(DestinationKind kind)
{
    return kind == DestinationKind::ssh ? QStringLiteral("Test Connection")
                                        : QStringLiteral("Show in File Manager");
}

QString placeName(DestinationKind kind)
{
    return kind == DestinationKind::ssh ? QStringLiteral("testConnection")
                                        : QStringLiteral("showDestinationFolder");
}

} // namespace

DestinationDetailRow::DestinationDetailRow(ViewContext& context, Clock& clock, Prompts& prompts,
    const BackupJob& job, const BackupDestination& destination,
    std::function<void(const BackupJob&)> openEditor, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_job(job)
    , m_destination(destination)
    , m_openEditor(std::move(openEditor))
    , m_run(QStringLiteral("Run Now"))
    , m_edit(QStringLiteral("Edit Job\u2026"))
    , m_showHistory(QStringLiteral("Show History"))
    , m_tile(new SymbolBadge(SymbolBadge::Shape::roundedSquare, 32, 16, SymbolWeight::regular, this))
    , m_name(new ElidedLabel({}, kitFont(15, QFont::DemiBold), Palette::label, Qt::ElideRight, this))
    , m_kind(new TagChip({}, std::nullopt, Palette::labelSecondary, this))
    , m_mode(new TagChip({}, std::nullopt, Palette::labelSecondary, this))
    , m_status(new StatusChip({}, Palette::idle, std::nullopt, false, this))
    , m_path(new PathLabel({}, kitFont(13), Palette::labelSecondary, this))
    , m_facts(new QHBoxLayout)
    , m_error(new TextLabel({}, kitFont(12), Palette::danger, this))
{
    m_run.setObjectName(QStringLiteral("runDestination"));
    m_edit.setObjectName(QStringLiteral("editDestinationJob"));
    m_showHistory.setObjectName(QStringLiteral("showDestinationHistory"));
    connect(&m_run, &QAction::triggered, this, [this] { runNow(); });
    connect(&m_edit, &QAction::triggered, this, [this] { m_openEditor(m_job); });
    connect(&m_place, &QAction::triggered, this, [this] {
        if (m_destination.kind == DestinationKind::ssh)
            testConnection();
        else
            showInFileManager();
    });
    connect(&m_showHistory, &QAction::triggered, this, [this] {
        m_context.requests.requestNavigation({ NavigationRequest::Target::activity, m_job.id });
    });

    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(7);
    titleLine->addWidget(m_name);
    titleLine->addWidget(m_kind);
    titleLine->addWidget(m_mode);
    titleLine->addWidget(m_status);
    titleLine->addStretch(1);

    m_facts->setSpacing(8);
    m_error->setWordWrap(true);
    m_error->setMaximumHeight(m_error->fontMetrics().lineSpacing() * 2);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addLayout(titleLine);
    texts->addWidget(m_path);
    texts->addLayout(m_facts);
    texts->addWidget(m_error);

    m_menu = new MenuButton(
        QStringLiteral("ellipsis.circle"), QStringLiteral("Actions"), 24,
        [this](QMenu& menu) { fillMenu(menu); }, this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(12);
    row->addWidget(m_tile, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addSpacing(4);
    row->addWidget(m_menu, 0, Qt::AlignTop);

    connect(&context.status, &StatusBoard::destinationStatusChanged, this,
        [this](const QUuid& jobID, const QUuid& destinationID) {
            if (jobID == m_job.id && destinationID == m_destination.id)
                showStatus();
        });
    setDestination(job, destination);
}

void DestinationDetailRow::setDestination(const BackupJob& job, const BackupDestination& destination)
{
    m_job = job;
    m_destination = destination;
    m_place.setText(placeText(destination.kind));
    m_place.setObjectName(placeName(destination.kind));
    m_name->setText(destination.name);
    m_kind->setText(kindTitle(destination.kind));
    m_mode->setText(modeLabel(effectiveMode(job, destination)));
    m_path->setPath(destination.displayPath());
    showStatus();
}

// The facts and the error line read the status and the time, so they are told with it.
void DestinationDetailRow::showStatus()
{
    const DestinationDisplayStatus status = m_context.status.destinationStatus(m_job.id, m_destination.id);
    m_tile->setSymbol(DestinationRowPresentation::kindSymbol(m_destination.kind), status.color, false);
    m_status->setStatus(status.text, status.color, std::nullopt, status.pulsing);

    while (QLayoutItem* item = m_facts->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString& fact : DestinationDetailPresentation::factsLine(m_job, m_destination, m_clock.now()))
        m_facts->addWidget(new TextLabel(fact, kitFont(12), Palette::labelTertiary, this));
    m_facts->addStretch(1);

    const std::optional<QString> error = DestinationDetailPresentation::errorLine(m_destination, status.text);
    m_error->setText(error.value_or(QString()));
    m_error->setVisible(error.has_value());
    setAccessibleName(DestinationRowPresentation::accessibleName(m_destination, status));
}

void DestinationDetailRow::fillMenu(QMenu& menu)
{
    menu.addAction(&m_run);
    menu.addAction(&m_edit);
    menu.addAction(&m_place);
    menu.addAction(&m_showHistory);
}

void DestinationDetailRow::runNow()
{
    // A mirror destination may ask for confirmation first; refusals come back as the coordinator's issue.
    QCoro::Task<> started = m_context.jobs.requestRun(m_job, m_destination);
}

void DestinationDetailRow::testConnection()
{
    QCoro::Task<> probing = probeToBanner(QPointer<ProgramRequests>(&m_context.requests), m_destination);
}

void DestinationDetailRow::showInFileManager()
{
    // The folder itself, opened, not selected in its parent.
    m_prompts.openUrl(QUrl::fromLocalFile(m_destination.path));
}

} // namespace mv
