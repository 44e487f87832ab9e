#pragma once

#include "model/BackupJob.h"
#include "model/BackupRunRecord.h"
#include "ui/models/dashboard/DashboardSection.h"
#include "ui/models/editors/JobEditorContext.h"

#include <QAction>
#include <QShortcut>
#include <QWidget>

#include <optional>

class QVBoxLayout;

namespace mv {

class Clock;
class DashboardHeader;
class DashboardModel;
class Prompts;
class DashboardSidebar;
struct ViewContext;

// The dashboard window's content: the sidebar, the header of the section shown and the section itself. It
// takes the navigation requests the shell leaves in the model (a job's editor, a new job's editor) as soon
// as they are raised, or when it comes on screen for those raised before it existed. The job editor and the
// run-log sheet are announced with signals for the windows that show them.
class DashboardView : public QWidget {
    Q_OBJECT
public:
    DashboardView(
        ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts, QWidget* parent = nullptr);

    // Opens the editor on a new job without changing the section (the header's "Add Backup", Ctrl+N).
    void presentNewJob();
    // The section's callbacks.
    void openEditor(const BackupJob& job);
    void showLog(const BackupRunRecord& record);

    const std::optional<JobEditorContext>& editor() const { return m_editor; }
    // The editor closed: the next opening is a new one.
    void closeEditor() { m_editor.reset(); }
    const std::optional<BackupRunRecord>& logRecord() const { return m_logRecord; }
    void closeLog() { m_logRecord.reset(); }

    DashboardSidebar* sidebar() const { return m_sidebar; }
    DashboardHeader* header() const { return m_header; }
    // The view of the section shown.
    QWidget* sectionView() const { return m_sectionView; }
    QAction& addBackupAction() { return m_addBackup; }

Q_SIGNALS:
    void editorOpened(const JobEditorContext& context);
    void logRequested(const BackupRunRecord& record);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSection(DashboardSection section);
    QWidget* makeSectionView(DashboardSection section);
    void takeJobRequest();
    void takeNewJobRequest();
    void openEditorContext(JobEditorContext context);

    ViewContext& m_context;
    DashboardModel& m_ui;
    Clock& m_clock;
    Prompts& m_prompts;
    QShortcut m_runAll; // the header's "Run All" has a shortcut of its own beside the command's
    QAction m_addBackup;
    DashboardSidebar* m_sidebar;
    DashboardHeader* m_header;
    QVBoxLayout* m_content;
    QWidget* m_sectionView = nullptr;
    std::optional<JobEditorContext> m_editor;
    std::optional<BackupRunRecord> m_logRecord;
};

} // namespace mv
