#pragma once

#include "model/BackupRunRecord.h"

#include <QAction>
#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>

class QMenu;

namespace mv {

class Prompts;
class StatusChip;

// One run in the Activity list: a dot of the result's colour, job → destination with the result chip and
// the start time, a line of facts and, when there is one, the error. A click anywhere selects the run; a
// right click offers its details, its log, the log file in the file manager and the entry's deletion. The
// row paints its texts itself, so a list of hundreds of runs stays light.
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
    // The texts the row shows, in reading order.
    QStringList texts() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where the first line's pieces go in the current width.
    struct TitleLayout {
        QRectF job;
        QRectF arrow;
        QRectF destination;
        QRectF time;
        QPointF chip;
    };
    TitleLayout titleLayout() const;
    qreal titleHeight() const;
    QRectF errorRect(int width) const;

    BackupRunRecord m_record;
    bool m_selected;
    Prompts& m_prompts;
    Actions m_actions;
    QAction m_details;
    QAction m_log;
    QAction m_reveal;
    QAction m_delete;
    QStringList m_facts;
    std::optional<QString> m_error;
    QString m_time;
    StatusChip* m_chip;
    // Text measured once: layouts ask for sizes many times, and shaping text is what costs.
    struct Measures {
        qreal job = 0;
        qreal destination = 0;
        qreal time = 0;
        qreal arrow = 0;
        QSizeF chip;
        qreal titleHeight = 0;
        qreal smallHeight = 0;
        QList<qreal> facts;
    };
    Measures m_measures;
    // The error's height by width: a layout tries a few widths over and over.
    mutable QHash<int, qreal> m_errorHeights;
};

} // namespace mv
