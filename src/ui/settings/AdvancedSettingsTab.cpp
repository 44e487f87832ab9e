#include "ui/settings/AdvancedSettingsTab.h"

#include "coordination/ProgramRequests.h"
#include "engine/PlanBuilder.h"
#include "model/ConfigurationStore.h"
#include "platform/Clock.h"
#include "ui/kit/MVButton.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/SettingsRow.h"
#include "ui/kit/TagChip.h"
#include "ui/kit/TextLabel.h"
#include "ui/models/settings/SettingBinding.h"
#include "ui/models/settings/SettingsTexts.h"
#include "ui/models/shared/ViewContext.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPointer>

namespace mv {

AdvancedSettingsTab::AdvancedSettingsTab(ViewContext& context, Prompts& prompts, QWidget* parent)
    : SettingsTabPage(SettingsTexts::tabs().at(4), parent)
    , m_context(context)
    , m_prompts(prompts)
    , m_versionChip(new TagChip(QString::fromUtf8(SettingsTexts::rsyncNotDetected),
          QStringLiteral("exclamationmark.triangle"), Palette::warning))
    , m_choose(new MVButton(QStringLiteral("Choose…"), std::nullopt, MVButtonKind::secondary, true, false,
          [this] { chooseRsync(); }))
    , m_revealData(new MVButton(QStringLiteral("Reveal"), std::nullopt, MVButtonKind::secondary, true, false,
          [this] { m_prompts.reveal(m_context.configuration.supportFolder()); }))
    , m_export(new MVButton(QStringLiteral("Export…"), std::nullopt, MVButtonKind::secondary, true, false,
          [this] { m_context.requests.exportConfiguration(); }))
    , m_revealHistory(new MVButton(QStringLiteral("Reveal"), std::nullopt, MVButtonKind::secondary, true,
          false,
          [this] {
              m_prompts.reveal(
                  QDir(m_context.configuration.supportFolder()).filePath(QStringLiteral("history.sqlite")));
          }))
    , m_reset(new MVButton(QStringLiteral("Reset…"), std::nullopt, MVButtonKind::destructive, true, false,
          [this] { Q_EMIT resetRequested(); }))
{
    auto* rsyncControls = new QWidget(this);
    auto* line = new QHBoxLayout(rsyncControls);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    m_versionChip->setParent(rsyncControls);
    m_choose->setParent(rsyncControls);
    line->addWidget(m_versionChip, 0, Qt::AlignVCenter);
    line->addWidget(m_choose, 0, Qt::AlignVCenter);

    m_rsyncRow = addRow(QStringLiteral("rsync executable"), QString(), rsyncControls);
    addRow(QStringLiteral("Data folder"), QDir::toNativeSeparators(context.configuration.supportFolder()),
        m_revealData);
    addRow(QStringLiteral("Export configuration"),
        QStringLiteral("A JSON copy of jobs and settings. No secrets are included."), m_export);
    addRow(
        QStringLiteral("History file"), QStringLiteral("SQLite database with run records."), m_revealHistory);
    addRow(QStringLiteral("Reset all settings"),
        QStringLiteral("Jobs and backup files are kept. Preferences return to their defaults."), m_reset);

    connect(&context.configuration, &ConfigurationStore::changed, this, &AdvancedSettingsTab::refresh);
    refresh();
}

void AdvancedSettingsTab::refresh()
{
    m_rsyncRow->detailLabel()->setText(SettingsTexts::rsyncPathText(
        PlanBuilder::resolveRsyncExecutable(m_context.configuration.config().settings)));
}

void AdvancedSettingsTab::showRsyncVersion(const std::optional<QString>& version)
{
    // A chip's symbol and colour are fixed when it is made: the chip is made again.
    QWidget* holder = m_versionChip->parentWidget();
    auto* chip = version ? new TagChip(*version, QStringLiteral("terminal"), Palette::labelSecondary, holder)
                         : new TagChip(QString::fromUtf8(SettingsTexts::rsyncNotDetected),
                             QStringLiteral("exclamationmark.triangle"), Palette::warning, holder);
    delete holder->layout()->replaceWidget(m_versionChip, chip);
    delete m_versionChip;
    m_versionChip = chip;
    // A child made after its parent was shown stays hidden until it is shown itself.
    chip->show();
}

void AdvancedSettingsTab::chooseRsync()
{
    OpenPanelRequest request;
    request.choose = OpenPanelRequest::Choose::file;
    request.title = QStringLiteral("Choose a modern rsync executable (3.1 or later).");
    request.prompt = QStringLiteral("Choose");
    m_prompts.askOpenPath(window(), request, [self = QPointer(this)](const QString& path) {
        if (!self)
            return;
        writeSetting(self->m_context.configuration, self->m_context.clock,
            [&path](AppSettings& settings) { settings.rsyncPath = path; });
        Q_EMIT self->rsyncChosen();
    });
}

} // namespace mv
