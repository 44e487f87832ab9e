#pragma once

#include "model/BackupRunRecord.h"

#include <QAction>
#include <QWidget>

#include <functional>

class QMenu;

namespace mv {

class Prompts;

// One run in the Activity list: a dot of the result's colour, job → destination with the result chip and
// the start time, a line of facts and, when there is one, the error. A click anywhere selects the run; a
// right click offers its details, its log, the log file in the file manager and the entry's deletion.
class ActivityDetailRow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const BackupRunRecord&)> showLog;
        std::function<void()> remove;
        std::function<void()> select;
    };

    ActivityDetailRow(const BackupRunRecord& record, bool isSelected, Prompts& prompts, Actions actions,
        QWidget* parent = nullptr);

    const BackupRunRecord& record() const { return m_record; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    void fillContextMenu(QMenu& menu);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    BackupRunRecord m_record;
    bool m_selected;
    Prompts& m_prompts;
    Actions m_actions;
    QAction m_details;
    QAction m_log;
    QAction m_reveal;
    QAction m_delete;
};

} // namespace mv
