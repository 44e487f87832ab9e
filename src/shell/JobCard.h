#pragma once

#include "model/BackupJob.h"
#include "ui/kit/CardSurface.h"
#include "ui/models/shared/CoalescedCall.h"

#include <QAction>
#include <QHash>
#include <QUuid>

#include <optional>

namespace mv {

class AccentTextButton;
class DestinationStatusRow;
class ElidedLabel;
class FolderTile;
class MVButton;
class PathLabel;
class StatusChip;
class TextLabel;
struct ViewContext;

// The panel's card of one backup job: what is protected, how the job and each destination stand, when it
// last ran, and a run button. A click opens the job in the dashboard; the context menu runs, duplicates,
// turns off or on, and asks for the job's deletion. Every action goes through the job actions.
//
// The card follows its job in the configuration, its own statuses and its own runs by itself (a burst of
// changes refreshes it once) and keeps its hover state and its revealed destinations for as long as it
// lives.
class JobCard : public CardSurface {
    Q_OBJECT
public:
    JobCard(ViewContext& context, const QUuid& jobID, QWidget* parent = nullptr);

    QUuid jobID() const { return m_jobID; }
    // Shows the job as the configuration and the runs now hold it; nothing changes once the job is gone.
    void refresh();

    // The context menu's commands, in its order; tests and the menu share them.
    QAction& openAction() { return m_open; }
    QAction& runAction() { return m_run; }
    QAction& duplicateAction() { return m_duplicate; }
    QAction& toggleAction() { return m_toggle; }
    QAction& deleteAction() { return m_delete; }
    // The menu as the card shows it on a right click.
    void fillContextMenu(QMenu& menu);

    MVButton* runButton() const { return m_runButton; }
    AccentTextButton* moreButton() const { return m_more; }
    QList<DestinationStatusRow*> destinationRows() const;
    FolderTile* folderTile() const { return m_tile; }
    StatusChip* statusChip() const { return m_chip; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildFooter();
    void showDestinations(const BackupJob& job);
    void openInDashboard();
    void runNow();

    ViewContext& m_context;
    QUuid m_jobID;
    std::optional<BackupJob> m_job; // as last shown
    bool m_showAllDestinations = false;
    bool m_pressed = false;

    FolderTile* m_tile = nullptr;
    ElidedLabel* m_name = nullptr;
    StatusChip* m_chip = nullptr;
    PathLabel* m_path = nullptr;
    QWidget* m_destinations = nullptr;
    QHash<QUuid, DestinationStatusRow*> m_rows;
    AccentTextButton* m_more = nullptr;
    TextLabel* m_lastRun = nullptr;
    MVButton* m_runButton = nullptr;

    QAction m_open;
    QAction m_run;
    QAction m_duplicate;
    QAction m_toggle;
    QAction m_delete;
    CoalescedCall m_refresh;
};

} // namespace mv
