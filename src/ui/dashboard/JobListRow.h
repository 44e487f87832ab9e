#pragma once

#include "model/BackupJob.h"
#include "model/PaletteRole.h"
#include "ui/dashboard/OverviewSection.h"

#include <QAction>
#include <QVariantAnimation>
#include <QWidget>

class QHBoxLayout;
class QMenu;

namespace mv {

class ElidedLabel;
class MenuButton;
class PathLabel;
class StatusChip;
class SymbolBadge;
class TagChip;
class TextLabel;
struct ViewContext;

// One job in the Backup Jobs list: its tinted folder tile, name, mode and "Off" tags, source and
// destinations, status chip and last run, and a command strip that is dimmed until the pointer is over the
// row. A click elsewhere on the row opens the job's editor; a right click offers the job's commands. It
// follows its job's status on the status board, and takes a newer version of the job in place.
class JobListRow : public QWidget {
    Q_OBJECT
public:
    JobListRow(ViewContext& context, const BackupJob& job, const QString& lastRun, SectionCallbacks callbacks,
        QWidget* parent = nullptr);
    // The same job as the configuration now has it, and when it last ran.
    void setJob(const BackupJob& job, const QString& lastRun);

    const BackupJob& job() const { return m_job; }
    PaletteRole tint() const { return m_tint; }
    bool hovering() const { return m_hovering; }
    // The command strip's opacity: 1 under the pointer, 0.55 otherwise.
    qreal stripOpacity() const;
    QWidget* commandStrip() const { return m_strip; }
    StatusChip* statusChip() const { return m_status; }
    MenuButton* moreButton() const { return m_more; }
    // The "…" menu and the right-click menu, in their orders.
    void fillPullDownMenu(QMenu& menu);
    void fillContextMenu(QMenu& menu);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovering(bool hovering);
    void applyHover(qreal progress);
    void run();
    void showStatus();

    ViewContext& m_context;
    BackupJob m_job;
    SectionCallbacks m_callbacks;
    PaletteRole m_tint;
    QAction m_run;
    QAction m_edit;
    QAction m_duplicate;
    QAction m_toggle;
    QAction m_showHistory;
    QAction m_delete;
    SymbolBadge* m_tile;
    ElidedLabel* m_name;
    TagChip* m_mode;
    TagChip* m_off = nullptr; // only while the job is off
    PathLabel* m_source;
    ElidedLabel* m_destinations;
    StatusChip* m_status;
    TextLabel* m_lastRun;
    QHBoxLayout* m_titleLine;
    QWidget* m_strip;
    MenuButton* m_more;
    bool m_hovering = false;
    qreal m_hoverProgress = 0;
    QVariantAnimation m_hoverAnimation;
};

} // namespace mv
