#pragma once

#include "coordination/DestinationDisplayStatus.h"
#include "model/BackupJob.h"

#include <QAction>
#include <QWidget>

#include <functional>

class QMenu;

namespace mv {

class AppState;
class MenuButton;
class Prompts;

// One destination in the Destinations page: its kind on a tile of its status colour, name, kind, mode and
// status, where it is, its schedule, last success and next run, the error while it matters, and a menu of
// its commands: run it, edit its job, test the SSH connection or show the folder, and its job's history.
class DestinationDetailRow : public QWidget {
    Q_OBJECT
public:
    DestinationDetailRow(AppState& app, Prompts& prompts, const BackupJob& job,
        const BackupDestination& destination, const DestinationDisplayStatus& status, const QDateTime& now,
        std::function<void(const BackupJob&)> openEditor, QWidget* parent = nullptr);

    const BackupDestination& destination() const { return m_destination; }
    MenuButton* menuButton() const { return m_menu; }
    void fillMenu(QMenu& menu);

private:
    void runNow();
    void testConnection();
    void showInFileManager();

    AppState& m_app;
    Prompts& m_prompts;
    BackupJob m_job;
    BackupDestination m_destination;
    std::function<void(const BackupJob&)> m_openEditor;
    QAction m_run;
    QAction m_edit;
    QAction m_place; // "Test Connection" for SSH, "Show in File Manager" for the others
    QAction m_showHistory;
    MenuButton* m_menu;
};

} // namespace mv
