#pragma once

#include "coordination/RestoreProgressState.h"

#include <QWidget>

namespace mv {

class CardSurface;
class MVButton;
class PathLabel;
class ProgressBarView;
class ProgressMetricsView;
class RestoreCoordinator;
class StatusChip;
class TextLabel;

// The state of the one restore the coordinator runs, shown until the person dismisses it: its phase, its
// message, a bar, the item being restored and where the items go. "Cancel" stops a live restore; "Done"
// removes one that has ended.
class RestoreProgressCard : public QWidget {
    Q_OBJECT
public:
    explicit RestoreProgressCard(RestoreCoordinator& restores, QWidget* parent = nullptr);
    void present(const RestoreProgressState& state);

    StatusChip* chip() const { return m_chip; }
    QString headline() const;
    QString itemCounter() const;
    // The metrics line's parts as shown: speed, amount and, while the restore goes on, the time left.
    QStringList metrics() const;
    MVButton* cancelButton() const { return m_cancel; }
    MVButton* doneButton() const { return m_done; }
    ProgressBarView* bar() const { return m_bar; }
    CardSurface* surface() const { return m_surface; }

private:
    RestoreCoordinator& m_restores;
    CardSurface* m_surface;
    StatusChip* m_chip;
    TextLabel* m_headline;
    MVButton* m_cancel;
    MVButton* m_done;
    ProgressBarView* m_bar;
    TextLabel* m_counter;
    ProgressMetricsView* m_metrics;
    PathLabel* m_target;
};

} // namespace mv
