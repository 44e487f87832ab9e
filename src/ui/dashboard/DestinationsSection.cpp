#include "ui/dashboard/DestinationsSection.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/dashboard/DestinationDetailRow.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/SectionHeader.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/DestinationDetailPresentation.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DestinationsSection::DestinationsSection(AppState& app, Clock& clock, Prompts& prompts,
    std::function<void(const BackupJob&)> openEditor, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_openEditor(std::move(openEditor))
    , m_counts(new TextLabel({}, kitFont(15), Palette::labelSecondary, this))
    , m_checkNow(new MVButton(
          QStringLiteral("Check Now"), QStringLiteral("arrow.clockwise"), MVButtonKind::secondary, true,
          false, [&app] { app.monitor().refresh(); }, this))
    , m_page(new QVBoxLayout(this))
    , m_refresh(this, [this] { refresh(); })
{
    auto* header = new QHBoxLayout;
    header->addWidget(m_counts);
    header->addStretch(1);
    header->addWidget(m_checkNow);

    m_page->setContentsMargins(0, 0, 0, 0);
    m_page->setSpacing(18);
    m_page->addLayout(header);
    m_page->addStretch(1);

    connect(&app, &AppState::changed, this, [this] { m_refresh.request(); });
    BackupCoordinator& coordinator = app.coordinator();
    connect(&coordinator, &BackupCoordinator::runAdded, this, [this] { m_refresh.request(); });
    connect(&coordinator, &BackupCoordinator::runChanged, this, [this] { m_refresh.request(); });
    connect(&coordinator, &BackupCoordinator::runRemoved, this, [this] { m_refresh.request(); });
    refresh();
}

QString DestinationsSection::countsText() const
{
    return m_counts->text();
}

QList<DestinationDetailRow*> DestinationsSection::rows() const
{
    return m_body ? m_body->findChildren<DestinationDetailRow*>() : QList<DestinationDetailRow*> {};
}

void DestinationsSection::refresh()
{
    const QList<BackupJob>& jobs = m_app.store().config().jobs;
    m_counts->setText(DestinationDetailPresentation::countsLine(m_app.allDestinations().size(), jobs.size()));
    const QDateTime now = m_clock.now();
    Shown shown { jobs, {}, {} };
    for (const BackupJob& job : jobs) {
        for (const BackupDestination& destination : job.destinations) {
            shown.statuses.push_back(m_app.destinationStatus(job, destination));
            shown.facts << DestinationDetailPresentation::factsLine(job, destination, now);
        }
    }
    if (m_body && shown == m_shown)
        return;
    m_shown = shown;
    delete m_body;

    if (jobs.isEmpty()) {
        m_body = cardSurface(
            new EmptyStateView(QStringLiteral("externaldrive.badge.plus"), QStringLiteral("No destinations"),
                QStringLiteral("Destinations are added inside a backup job."), QStringLiteral("Add Backup"),
                [this] {
                    m_app.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
                }),
            10);
    } else {
        m_body = new QWidget;
        auto* groups = new QVBoxLayout(m_body);
        groups->setContentsMargins(0, 0, 0, 0);
        groups->setSpacing(18);
        std::size_t row = 0;
        for (const BackupJob& job : jobs) {
            auto* group = new QVBoxLayout;
            group->setSpacing(8);
            group->addWidget(
                new SectionHeader(job.name, job.destinations.size(), std::nullopt, std::nullopt, {}));
            auto* card = new CardSurface(10, false, std::nullopt);
            auto* list = new QVBoxLayout(card);
            list->setContentsMargins(0, 0, 0, 0);
            list->setSpacing(0);
            for (qsizetype i = 0; i < job.destinations.size(); ++i) {
                const BackupDestination& destination = job.destinations[i];
                list->addWidget(new DestinationDetailRow(
                    m_app, m_prompts, job, destination, shown.statuses[row++], now, m_openEditor, card));
                if (i + 1 < job.destinations.size())
                    list->addWidget(new Hairline(Qt::Horizontal, HairlineWeight::full, 44, card));
            }
            if (job.destinations.isEmpty())
                card->setMinimumHeight(20);
            group->addWidget(card);
            groups->addLayout(group);
        }
    }
    m_page->insertWidget(1, m_body);
    m_body->show();
}

} // namespace mv
