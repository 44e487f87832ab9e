#pragma once

#include "model/BackupJob.h"

#include <QAction>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QMenu;

namespace mv {

class Clock;
class ElidedLabel;
class MenuButton;
class PathLabel;
class Prompts;
class StatusChip;
class SymbolBadge;
class TagChip;
class TextLabel;
struct ViewContext;

// One destination in the Destinations page: its kind on a tile of its status colour, name, kind, mode and
// status, where it is, its schedule, last success and next run, the error while it matters, and a menu of
// its commands: run it, edit its job, test the SSH connection or show the folder, and its job's history. It
// follows its destination's status on the status board, and takes a newer version of the job in place.
class DestinationDetailRow : public QWidget {
    Q_OBJECT
public:
    DestinationDetailRow(ViewContext& context, Clock& clock, Prompts& prompts, const BackupJob& job,
        const BackupDestination& destination, std::function<void(const BackupJob&)> openEditor,
        QWidget* parent = nullptr);

    // The same destination as the configuration now has it, in its job.
    void setDestination(const BackupJob& job, const BackupDestination& destination);

    const BackupDestination& destination() const { return m_destination; }
    StatusChip* statusChip() const { return m_status; }
    MenuButton* menuButton() const { return m_menu; }
    void fillMenu(QMenu& menu);

private:
    void showStatus();
    void runNow();
    void testConnection();
    void showInFileManager();

    ViewContext& m_context;
    Clock& m_clock;
    Prompts& m_prompts;
    BackupJob m_job;
    BackupDestination m_destination;
    std::function<void(const BackupJob&)> m_openEditor;
    QAction m_run;
    QAction m_edit;
    QAction m_place; // "Test Connection" for SSH, "Show in File Manager" for the others
    QAction m_showHistory;
    SymbolBadge* m_tile;
    ElidedLabel* m_name;
    TagChip* m_kind;
    TagChip* m_mode;
    StatusChip* m_status;
    PathLabel* m_path;
    QHBoxLayout* m_facts;
    TextLabel* m_error;
    MenuButton* m_menu;
};

} // namespace mv
