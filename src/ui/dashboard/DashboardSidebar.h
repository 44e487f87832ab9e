#pragma once

#include "ui/models/dashboard/DashboardSection.h"

#include <QHash>
#include <QWidget>

namespace mv {

class Clock;
class DashboardModel;
class SidebarRow;
class StatusBoard;
class StatusDot;
class TextLabel;

// The dashboard's left column: the program's mark and name, the sections in their groups, and a footer with
// the overall status and the last successful backup. Picking a row shows its section; a section shown from
// elsewhere moves the highlight. The footer follows the status board.
class DashboardSidebar : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 208;

    DashboardSidebar(StatusBoard& status, DashboardModel& ui, Clock& clock, QWidget* parent = nullptr);
    // Reads the overall status and the last success again.
    void refresh();

    SidebarRow* row(DashboardSection section) const { return m_rows.value(section); }
    StatusDot* statusDot() const { return m_dot; }
    QString statusText() const;
    QString lastBackupText() const;

private:
    void select(DashboardSection section);

    StatusBoard& m_board;
    Clock& m_clock;
    QHash<DashboardSection, SidebarRow*> m_rows;
    StatusDot* m_dot;
    TextLabel* m_status;
    TextLabel* m_lastBackup;
};

} // namespace mv
