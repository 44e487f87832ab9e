#include "ui/dashboard/DestinationDetailRow.h"

#include "coordination/AppState.h"
#include "engine/SSHCommand.h"
#include "model/EffectiveValues.h"
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
#include "ui/models/DashboardTexts.h"
#include "ui/models/DestinationDetailPresentation.h"
#include "ui/models/DestinationRowPresentation.h"
#include "ui/models/EnumerationPresentation.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QUrl>
#include <QVBoxLayout>

namespace mv {

namespace {

// Runs apart from the row, which may be gone when the server answers; the answer, whatever it says, is the
// banner.
QCoro::Task<> probeToBanner(QPointer<AppState> app, BackupDestination destination)
{
    const SSHCommand::ProbeResult result = co_await SSHCommand::probe(destination, SSHCommand::probeTimeout);
    if (app)
        app->setBanner(result.message);
}

} // namespace

DestinationDetailRow::DestinationDetailRow(AppState& app, Prompts& prompts, const BackupJob& job,
    const BackupDestination& destination, const DestinationDisplayStatus& status, const QDateTime& now,
    std::function<void(const BackupJob&)> openEditor, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_prompts(prompts)
    , m_job(job)
    , m_destination(destination)
    , m_openEditor(std::move(openEditor))
    , m_run(QStringLiteral("Run Now"))
    , m_edit(QStringLiteral("Edit Job\u2026"))
    , m_place(destination.kind == DestinationKind::ssh ? QStringLiteral("Test Connection")
                                                       : QStringLiteral("Show in File Manager"))
    , m_showHistory(QStringLiteral("Show History"))
{
    m_run.setObjectName(QStringLiteral("runDestination"));
    m_edit.setObjectName(QStringLiteral("editDestinationJob"));
    m_place.setObjectName(destination.kind == DestinationKind::ssh ? QStringLiteral("testConnection")
                                                                   : QStringLiteral("showDestinationFolder"));
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
        m_app.requestNavigation({ NavigationRequest::Target::activity, m_job.id });
    });

    auto* tile = new SymbolBadge(SymbolBadge::Shape::roundedSquare, 32, 16, SymbolWeight::regular, this);
    tile->setSymbol(DestinationRowPresentation::kindSymbol(destination.kind), status.color, false);

    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(7);
    titleLine->addWidget(new ElidedLabel(
        destination.name, kitFont(15, QFont::DemiBold), Palette::label, Qt::ElideRight, this));
    titleLine->addWidget(
        new TagChip(kindTitle(destination.kind), std::nullopt, Palette::labelSecondary, this));
    titleLine->addWidget(
        new TagChip(modeLabel(effectiveMode(job, destination)), std::nullopt, Palette::labelSecondary, this));
    titleLine->addWidget(new StatusChip(status.text, status.color, std::nullopt, status.pulsing, this));
    titleLine->addStretch(1);

    auto* factsLine = new QHBoxLayout;
    factsLine->setSpacing(8);
    for (const QString& fact : DestinationDetailPresentation::factsLine(job, destination, now))
        factsLine->addWidget(new TextLabel(fact, kitFont(12), Palette::labelTertiary, this));
    factsLine->addStretch(1);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addLayout(titleLine);
    texts->addWidget(new PathLabel(destination.displayPath(), kitFont(13), Palette::labelSecondary, this));
    texts->addLayout(factsLine);
    if (const std::optional<QString> error
        = DestinationDetailPresentation::errorLine(destination, status.text)) {
        auto* line = new TextLabel(*error, kitFont(12), Palette::danger, this);
        line->setWordWrap(true);
        line->setMaximumHeight(line->fontMetrics().lineSpacing() * 2);
        texts->addWidget(line);
    }

    m_menu = new MenuButton(
        QStringLiteral("ellipsis.circle"), QStringLiteral("Actions"), 24,
        [this](QMenu& menu) { fillMenu(menu); }, this);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 10, 12, 10);
    row->setSpacing(12);
    row->addWidget(tile, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addSpacing(4);
    row->addWidget(m_menu, 0, Qt::AlignTop);
    setAccessibleName(DestinationRowPresentation::accessibleName(destination, status));
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
    QCoro::Task<> started = m_app.requestRun(m_job, m_destination);
}

void DestinationDetailRow::testConnection()
{
    QCoro::Task<> probing = probeToBanner(QPointer<AppState>(&m_app), m_destination);
}

void DestinationDetailRow::showInFileManager()
{
    // The folder itself, opened, not selected in its parent.
    m_prompts.openUrl(QUrl::fromLocalFile(m_destination.path));
}

} // namespace mv
