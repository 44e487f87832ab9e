#pragma once

#include "model/BackupJob.h"
#include "ui/models/CoalescedCall.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>

#include <optional>

class QScrollArea;

namespace mv {

class ActiveRunsModel;
class ActiveRunsSection;
class AppState;
class EmptyStateView;
class JobsModel;
class JobsSection;
class PanelFooter;
class PanelHeader;

// The panel's content, one fixed-size column: the header with the overall status, the runs in progress
// and every job (or, with no job yet, an invitation to add one), the last run and the buttons into the
// dashboard. It also asks before deleting a job that someone asked to delete. Every burst of changes of the
// state it shows is drawn once.
class MenuBarPanel : public QWidget {
    Q_OBJECT
public:
    // `cornerRadius` is the card's, which the footer's background follows at the bottom.
    MenuBarPanel(AppState& state, qreal cornerRadius, QWidget* parent = nullptr);
    ~MenuBarPanel() override;

    PanelHeader* header() const { return m_header; }
    EmptyStateView* emptyState() const { return m_empty; }
    QScrollArea* list() const { return m_scroll; }
    ActiveRunsSection* activeSection() const { return m_active; }
    JobsSection* jobsSection() const { return m_jobs; }
    PanelFooter* footer() const { return m_footer; }
    // The delete confirmation on screen, if any.
    QMessageBox* deleteConfirmation() const { return m_confirmation; }

    // The colour of the card behind the content, which the list fades into at its bottom.
    void setBackdrop(std::function<QColor()> backdrop) { m_backdrop = std::move(backdrop); }

    // Draws a pending change now.
    void flush()
    {
        m_refresh.flush();
        m_runsRefresh.flush();
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    // The parts that show runs' figures: the headline and the active runs.
    void refreshRuns();
    void takeDeletionRequest();
    void confirmDeletion();

    AppState& m_state;
    qreal m_cornerRadius;
    JobsModel* m_jobsModel;
    ActiveRunsModel* m_runsModel;
    PanelHeader* m_header;
    EmptyStateView* m_empty;
    QWidget* m_emptyPage;
    QScrollArea* m_scroll;
    QWidget* m_summary;
    ActiveRunsSection* m_active;
    JobsSection* m_jobs;
    PanelFooter* m_footer;
    std::function<QColor()> m_backdrop;
    std::optional<BackupJob> m_jobToDelete;
    QPointer<QMessageBox> m_confirmation;
    CoalescedCall m_refresh;
    CoalescedCall m_runsRefresh;
};

} // namespace mv
