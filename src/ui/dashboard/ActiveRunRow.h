#pragma once

#include "model/ActiveRun.h"

#include <QWidget>

namespace mv {

class ActiveRunsModel;
class ElidedLabel;
class IconButton;
class JobActions;
class ProgressBarView;
class StatusChip;
class TextLabel;

// One live run on the overview's active-runs card: job → destination with its phase chip and percentage, the
// bar, the figures, and Pause or Resume (only while running or paused) and Cancel. It follows its own run in
// the run list and updates in place.
class ActiveRunRow : public QWidget {
    Q_OBJECT
public:
    ActiveRunRow(ActiveRunsModel& runs, JobActions& jobs, const ActiveRun& run, QWidget* parent = nullptr);

    StatusChip* chip() const { return m_chip; }
    QString percentText() const;
    IconButton* pauseButton() const { return m_pause; }
    IconButton* cancelButton() const { return m_cancel; }
    ProgressBarView* bar() const { return m_bar; }

private:
    void follow(const RunKey& key);
    void show(const ActiveRun& run);

    ActiveRunsModel& m_runs;
    RunKey m_key;
    ElidedLabel* m_job;
    ElidedLabel* m_destination;
    StatusChip* m_chip;
    TextLabel* m_percent;
    ProgressBarView* m_bar;
    TextLabel* m_metrics;
    IconButton* m_pause;
    IconButton* m_cancel;
};

} // namespace mv
