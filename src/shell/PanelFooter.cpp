#include "shell/PanelFooter.h"

#include "coordination/HistoryFeed.h"
#include "coordination/ProgramRequests.h"
#include "model/UuidText.h"
#include "shell/ActivityRow.h"
#include "shell/PanelEntries.h"
#include "ui/kit/Hairline.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/PlainButton.h"
#include "ui/kit/SymbolImage.h"
#include "ui/models/shared/ViewContext.h"

#include <QBoxLayout>

namespace mv {

namespace {

using Target = NavigationRequest::Target;

} // namespace

PanelFooter::PanelFooter(ViewContext& context, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_lastRunButton(new PlainButton([this] {
        if (m_lastRun)
            m_context.requests.requestNavigation({ Target::activity, m_lastRun->jobID });
    }))
    , m_lastRunRow([](const BackupRunRecord& record) { return uuidText(record.id); },
          [&context](const BackupRunRecord& record, QWidget* host) {
              return makeLastRunEntry(context.clock, record, host);
          },
          0, nullptr)
    , m_lastRunRule(new Hairline(Qt::Horizontal, HairlineWeight::half))
    , m_add(new MVButton(QStringLiteral("Add Backup"), QStringLiteral("plus"), MVButtonKind::primary, true,
          false,
          [this] {
              m_context.requests.requestNavigation({ Target::newJob, std::nullopt });
          }))
    , m_dashboard(new IconButton(QStringLiteral("rectangle.grid.2x2"),
          QStringLiteral("Open Dashboard (Ctrl+D)"), false, std::nullopt, 24,
          [this] {
              m_context.requests.requestNavigation({ Target::dashboard, std::nullopt });
          }))
    , m_activity(new IconButton(QStringLiteral("clock.arrow.circlepath"), QStringLiteral("Activity (Ctrl+L)"),
          false, std::nullopt, 24,
          [this] {
              m_context.requests.requestNavigation({ Target::activity, std::nullopt });
          }))
    , m_quit(new IconButton(QStringLiteral("power"), QStringLiteral("Quit Marrowvale"), false,
          Palette::labelSecondary, 24, [this] {
              m_context.requests.requestNavigation({ Target::quit, std::nullopt });
          }))
{
    auto* face = new QWidget;
    auto* faceRow = new QHBoxLayout(face);
    faceRow->setContentsMargins(14, 0, 14, 0);
    faceRow->setSpacing(6);
    faceRow->addWidget(m_lastRunRow.widget(), 1);
    faceRow->addWidget(
        new SymbolImage(QStringLiteral("chevron.right"), 11, SymbolWeight::semibold, Palette::labelTertiary));
    m_lastRunButton->setContent(face);
    m_lastRunButton->setFixedHeight(26);
    m_lastRunButton->setToolTip(QStringLiteral("Open activity"));

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(14, 0, 14, 0);
    buttons->setSpacing(4);
    buttons->addWidget(m_add);
    buttons->addStretch();
    buttons->addSpacing(4);
    buttons->addWidget(m_dashboard);
    buttons->addWidget(m_activity);
    buttons->addWidget(m_quit);
    auto* buttonRow = new QWidget;
    buttonRow->setFixedHeight(48);
    buttonRow->setLayout(buttons);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_lastRunButton);
    column->addWidget(m_lastRunRule);
    column->addWidget(buttonRow);
    connect(&m_context.history, &HistoryFeed::changed, this, &PanelFooter::showNewestRun);
    showNewestRun();
}

void PanelFooter::setLastRun(const std::optional<BackupRunRecord>& record)
{
    m_lastRun = record;
    m_lastRunRow.setRows(record ? QList { *record } : QList<BackupRunRecord> {});
    // A screen reader names the button after the run it shows; the tooltip says where it leads.
    const auto* row = record ? qobject_cast<ActivityRow*>(m_lastRunRow.entry(uuidText(record->id))) : nullptr;
    m_lastRunButton->setAccessibleName(row ? row->text() : QString());
    m_lastRunButton->setVisible(record.has_value());
    m_lastRunRule->setVisible(record.has_value());
}

void PanelFooter::showNewestRun()
{
    const std::vector<BackupRunRecord>& recent = m_context.history.recentRuns();
    setLastRun(recent.empty() ? std::nullopt : std::optional(recent.front()));
}

} // namespace mv
