#include "ui/restore/RestoreSection.h"

#include "coordination/ProgramRequests.h"
#include "coordination/RestoreCoordinator.h"
#include "model/ConfigurationStore.h"
#include "ui/kit/CardSurface.h"
#include "ui/kit/EmptyStateView.h"
#include "ui/models/shared/ViewContext.h"
#include "ui/restore/BackupBrowserCard.h"
#include "ui/restore/BackupPickerCard.h"
#include "ui/restore/ConflictSheet.h"
#include "ui/restore/GoogleDriveLink.h"
#include "ui/restore/RestoreNoteCard.h"
#include "ui/restore/RestoreProgressCard.h"

#include <QMessageBox>
#include <QVBoxLayout>

namespace mv {

RestoreSection::RestoreSection(ViewContext& context, Prompts& prompts, QWidget* parent)
    : QWidget(parent)
    , m_context(context)
    , m_model(context)
{
    m_empty = cardSurface(
        new EmptyStateView(QStringLiteral("arrow.uturn.backward.circle"),
            QStringLiteral("No backups to restore from"),
            QStringLiteral("Create a backup job first. Restore becomes available as soon as a "
                           "destination has content."),
            QStringLiteral("Add Backup"),
            [&context] {
                context.requests.requestNavigation({ NavigationRequest::Target::newJob, std::nullopt });
            }),
        10);
    m_picker = new BackupPickerCard(m_model, prompts, this);
    m_progress = new RestoreProgressCard(context.restores, this);
    m_browser = new BackupBrowserCard(m_model, prompts, this);
    m_driveNote = RestoreNoteCard::googleDrive([&prompts] { openGoogleDrive(prompts); }, this);
    m_sshNote = RestoreNoteCard::ssh(this);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(16);
    for (QWidget* card : { m_empty, static_cast<QWidget*>(m_picker), static_cast<QWidget*>(m_progress),
             static_cast<QWidget*>(m_browser), static_cast<QWidget*>(m_driveNote),
             static_cast<QWidget*>(m_sshNote) })
        page->addWidget(card);
    page->addStretch(1);

    connect(&m_model, &RestoreSectionModel::changed, this, [this] { refresh(); });
    connect(&m_model, &RestoreSectionModel::entriesChanged, m_browser, &BackupBrowserCard::refreshEntries);
    connect(
        &m_model, &RestoreSectionModel::selectionChanged, m_browser, &BackupBrowserCard::refreshSelection);
    connect(&m_model, &RestoreSectionModel::scanningChanged, this, [this] { m_browser->refresh(); });
    connect(&m_model, &RestoreSectionModel::conflictPromptChanged, this, [this] { showConflictPrompt(); });
    connect(&m_model, &RestoreSectionModel::errorMessageChanged, this, [this] { showErrorMessage(); });
    // Edits to jobs elsewhere show at once.
    connect(&context.configuration, &ConfigurationStore::changed, this, [this] { refresh(); });
    // At once rather than coalesced, so the card's buttons always match the restore's phase.
    connect(&context.restores, &RestoreCoordinator::restoreChanged, this, [this] { refreshProgress(); });
    refresh();
}

void RestoreSection::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_model.appear();
}

void RestoreSection::refresh()
{
    const bool anyJob = !m_context.configuration.config().jobs.isEmpty();
    const std::optional<BackupDestination> destination = m_model.destination();
    const bool drive = destination && destination->kind == DestinationKind::googleDrive;
    const bool ssh = destination && destination->kind == DestinationKind::ssh;
    m_empty->setVisible(!anyJob);
    m_picker->setVisible(anyJob);
    m_browser->setVisible(anyJob && !drive && !ssh);
    m_driveNote->setVisible(anyJob && drive);
    m_sshNote->setVisible(anyJob && ssh);
    if (anyJob) {
        m_picker->refresh();
        m_browser->refresh();
    }
    refreshProgress();
}

void RestoreSection::refreshProgress()
{
    const std::optional<RestoreProgressState>& restore = m_context.restores.restore();
    m_progress->setVisible(restore && !m_context.configuration.config().jobs.isEmpty());
    if (restore)
        m_progress->present(*restore);
}

void RestoreSection::showConflictPrompt()
{
    if (m_sheet) {
        m_sheet->disconnect(this);
        m_sheet->close();
    }
    const std::optional<ConflictPrompt>& prompt = m_model.conflictPrompt();
    if (!prompt)
        return;
    auto* sheet = new ConflictSheet(*prompt, window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &ConflictSheet::answered, this,
        [this](ConflictAnswer answer) { m_model.answerConflict(answer); });
    m_sheet = sheet;
    sheet->open();
}

void RestoreSection::showErrorMessage()
{
    if (m_alert) {
        m_alert->disconnect(this);
        m_alert->close();
    }
    const std::optional<QString>& message = m_model.errorMessage();
    if (!message)
        return;
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Restore cannot start"),
        QStringLiteral("Restore cannot start"), QMessageBox::Ok, window());
    alert->setInformativeText(*message);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    // However the alert ends, the message is gone.
    connect(alert, &QMessageBox::finished, this, [this] { m_model.dismissError(); });
    m_alert = alert;
    alert->open();
}

} // namespace mv
