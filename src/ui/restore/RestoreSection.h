#pragma once

#include "ui/models/restore/RestoreSectionModel.h"
#include "ui/restore/ConflictSheet.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace mv {

struct ViewContext;
class BackupBrowserCard;
class BackupPickerCard;
class Prompts;
class RestoreNoteCard;
class RestoreProgressCard;

// The dashboard's Restore section: the backup picker, the card of the restore in progress while there is
// one, and the backup browser, or in its place a note for destinations that cannot be browsed here. With no
// job at all it shows only how to make one. The conflict sheet and the "Restore cannot start" alert are
// opened over the window. Its state starts afresh each time the section is made.
class RestoreSection : public QWidget {
    Q_OBJECT
public:
    RestoreSection(ViewContext& context, Prompts& prompts, QWidget* parent = nullptr);

    RestoreSectionModel& model() { return m_model; }
    QWidget* emptyState() const { return m_empty; }
    BackupPickerCard* picker() const { return m_picker; }
    RestoreProgressCard* progressCard() const { return m_progress; }
    BackupBrowserCard* browser() const { return m_browser; }
    RestoreNoteCard* driveNote() const { return m_driveNote; }
    RestoreNoteCard* sshNote() const { return m_sshNote; }
    ConflictSheet* conflictSheet() const { return m_sheet; }
    QMessageBox* errorAlert() const { return m_alert; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshProgress();
    void showConflictPrompt();
    void showErrorMessage();

    ViewContext& m_context;
    RestoreSectionModel m_model;
    QWidget* m_empty;
    BackupPickerCard* m_picker;
    RestoreProgressCard* m_progress;
    BackupBrowserCard* m_browser;
    RestoreNoteCard* m_driveNote;
    RestoreNoteCard* m_sshNote;
    QPointer<ConflictSheet> m_sheet;
    QPointer<QMessageBox> m_alert;
};

} // namespace mv
