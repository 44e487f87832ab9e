#include "ui/dashboard/DashboardHeader.h"

#include "coordination/HistoryFeed.h"
#include "model/ConfigurationStore.h"
#include "ui/kit/Commands.h"
#include "ui/kit/ElidedLabel.h"
#include "ui/kit/IconButton.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Palette.h"
#include "ui/kit/TextLabel.h"
#include "ui/kit/TypeScale.h"
#include "ui/models/dashboard/DashboardModel.h"
#include "ui/models/dashboard/DashboardTexts.h"
#include "ui/models/shared/StatusBoard.h"
#include "ui/models/shared/ViewContext.h"

#include <QAction>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace mv {

DashboardHeader::DashboardHeader(
    ViewContext& context, DashboardModel& ui, QAction& addBackup, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_title(new TextLabel({}, kitFont(22, QFont::DemiBold), Palette::label, this))
    , m_subtitle(new ElidedLabel({}, kitFont(13), Palette::labelSecondary, Qt::ElideRight, this))
    , m_runAll(new MVButton(
          QStringLiteral("Run All"), QStringLiteral("play.fill"), MVButtonKind::secondary, true, false,
          [&context] { context.commands.runAll.trigger(); }, this))
    , m_exportCSV(new MVButton(
          QStringLiteral("Export CSV"), QStringLiteral("square.and.arrow.up"), MVButtonKind::secondary, true,
          false, [&context] { context.history.exportHistory(); }, this))
    , m_addBackup(new MVButton(
          QStringLiteral("Add Backup"), QStringLiteral("plus"), MVButtonKind::primary, true, false,
          [&addBackup] { addBackup.trigger(); }, this))
    , m_help(new IconButton(
          QStringLiteral("questionmark.circle"), QStringLiteral("Support"), false, std::nullopt, 24,
          [&ui] { ui.setSection(DashboardSection::support); }, this))
{
    m_runAll->setToolTip(QStringLiteral("Run every enabled backup (Ctrl+Shift+R)"));
    m_addBackup->setToolTip(QStringLiteral("Add Backup (Ctrl+N)"));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(24, 16, 24, 12);
    row->setSpacing(10);
    row->addLayout(texts, 1);
    row->addWidget(m_runAll);
    row->addWidget(m_exportCSV);
    row->addWidget(m_addBackup);
    row->addWidget(m_help);
    showSection(ui.section());

    connect(&context.status, &StatusBoard::summaryChanged, this, &DashboardHeader::refresh);
    connect(&context.history, &HistoryFeed::changed, this, &DashboardHeader::refresh);
    connect(&context.configuration, &ConfigurationStore::changed, this, &DashboardHeader::refresh);
}

void DashboardHeader::showSection(DashboardSection section)
{
    using enum DashboardSection;
    m_section = section;
    m_title->setText(sectionTitle(section));
    m_runAll->setVisible(section == overview || section == jobs);
    m_exportCSV->setVisible(section == activity);
    m_addBackup->setVisible(section == overview || section == jobs || section == destinations);
    m_help->setVisible(section != support);
    refresh();
}

void DashboardHeader::refresh()
{
    m_subtitle->setText(headerSubtitle(m_section, m_context));
}

QString DashboardHeader::title() const
{
    return m_title->text();
}

QString DashboardHeader::subtitle() const
{
    return m_subtitle->text();
}

QStringList DashboardHeader::shownButtons() const
{
    QStringList shown;
    for (MVButton* button : { m_runAll, m_exportCSV, m_addBackup }) {
        if (!button->isHidden())
            shown.append(button->title());
    }
    if (!m_help->isHidden())
        shown.append(m_help->help());
    return shown;
}

} // namespace mv
