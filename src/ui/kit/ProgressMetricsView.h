#pragma once

#include "model/RunProgress.h"

#include <QWidget>

namespace mv {

class TextLabel;

// The metrics line of one live run: speed · files or bytes · time left, each as ProgressMetrics has it;
// hidden while there is none.
class ProgressMetricsView : public QWidget {
    Q_OBJECT
public:
    ProgressMetricsView(const RunProgress& progress, bool compact, QWidget* parent = nullptr);

    void setProgress(const RunProgress& progress);
    // The parts as shown, without the dots; none while hidden.
    QStringList parts() const;

private:
    TextLabel* m_speed;
    TextLabel* m_speedDot;
    TextLabel* m_amount;
    TextLabel* m_timeDot;
    TextLabel* m_timeLeft;
};

} // namespace mv
