#pragma once

#include "ui/models/shared/CoalescedCall.h"

#include <QWidget>

#include <functional>

class QScrollArea;

namespace mv {

class ActiveRunsSection;
class EmptyStateView;
class JobsModel;
class JobsSection;
class PanelFooter;
class PanelHeader;
struct ViewContext;

// The panel's content, one fixed-size column: the header with the overall status, the runs in progress
// and every job (or, with no job yet, an invitation to add one), the last run and the buttons into the
// dashboard. Each part follows what it shows; the panel itself follows only the list of jobs, a burst of
// changes of it drawn once.
class MenuBarPanel : public QWidget {
    Q_OBJECT
public:
    // `cornerRadius` is the card's, which the footer's background follows at the bottom.
    MenuBarPanel(ViewContext& context, qreal cornerRadius, QWidget* parent = nullptr);
    ~MenuBarPanel() override;

    PanelHeader* header() const { return m_header; }
    EmptyStateView* emptyState() const { return m_empty; }
    QScrollArea* list() const { return m_scroll; }
    ActiveRunsSection* activeSection() const { return m_active; }
    JobsSection* jobsSection() const { return m_jobs; }
    PanelFooter* footer() const { return m_footer; }

    // The colour of the card behind the content, which the list fades into at its bottom.
    void setBackdrop(std::function<QColor()> backdrop) { m_backdrop = std::move(backdrop); }

    // Draws a pending change of the jobs now.
    void flush() { m_refresh.flush(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    qreal m_cornerRadius;
    JobsModel* m_jobsModel;
    PanelHeader* m_header;
    EmptyStateView* m_empty;
    QWidget* m_emptyPage;
    QScrollArea* m_scroll;
    QWidget* m_summary;
    ActiveRunsSection* m_active;
    JobsSection* m_jobs;
    PanelFooter* m_footer;
    std::function<QColor()> m_backdrop;
    CoalescedCall m_refresh;
};

} // namespace mv
