#pragma once

#include "model/RunProgress.h"

#include <QWidget>

namespace mv {

class TextLabel;

// The metrics line of one live run: speed · files or bytes · time left (the last only when known).
class ProgressMetricsView : public QWidget {
    Q_OBJECT
public:
    ProgressMetricsView(const RunProgress& progress, bool compact, QWidget* parent = nullptr);

    void setProgress(const RunProgress& progress);
    // The parts as shown, without the dots.
    QStringList parts() const;

private:
    TextLabel* m_speed;
    TextLabel* m_amount;
    TextLabel* m_timeDot;
    TextLabel* m_timeLeft;
};

} // namespace mv
