#pragma once

#include "ui/settings/SettingsTabPage.h"

class QComboBox;
class QSpinBox;

namespace mv {

struct ViewContext;

// The defaults that govern runs: the mode of new jobs, concurrent runs, the bandwidth cap, retries with their
// delay and how long run records stay. Each click or choice is one write of its setting; the values are read
// by their users the next time they need them.
class BackupSettingsTab : public SettingsTabPage {
    Q_OBJECT
public:
    explicit BackupSettingsTab(ViewContext& context, QWidget* parent = nullptr);

    void refresh();

    QComboBox* modePicker() const { return m_mode; }
    QSpinBox* concurrentRunsStepper() const { return m_concurrentRuns; }
    QComboBox* bandwidthPicker() const { return m_bandwidth; }
    QSpinBox* retriesStepper() const { return m_retries; }
    QSpinBox* retryDelayStepper() const { return m_retryDelay; }
    QComboBox* retentionPicker() const { return m_retention; }

private:
    ViewContext& m_context;
    QComboBox* m_mode;
    QSpinBox* m_concurrentRuns;
    QComboBox* m_bandwidth;
    QSpinBox* m_retries;
    QSpinBox* m_retryDelay;
    QComboBox* m_retention;
};

} // namespace mv
