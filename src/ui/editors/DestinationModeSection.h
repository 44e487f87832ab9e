#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace mv {

class DestinationEditorModel;
class SettingsRow;

// The destination's mode override, the snapshots it keeps, its retry policy and, for a mirror override,
// the acknowledgement that files are deleted (the sheet's modeSection).
class DestinationModeSection : public QWidget {
    Q_OBJECT
public:
    explicit DestinationModeSection(DestinationEditorModel& model, QWidget* parent = nullptr);

    QComboBox* modePicker() const { return m_mode; }
    QSpinBox* retentionStepper() const { return m_retention; }
    QComboBox* retriesPicker() const { return m_retries; }
    QSpinBox* retryDelayStepper() const { return m_retryDelay; }
    QCheckBox* mirrorCheckbox() const { return m_understand; }
    SettingsRow* retentionRow() const { return m_retentionRow; }
    SettingsRow* retryDelayRow() const { return m_retryDelayRow; }
    SettingsRow* mirrorWarningRow() const { return m_mirrorRow; }
    void refresh();

private:
    void fillRetries();

    DestinationEditorModel& m_model;
    QComboBox* m_mode;
    QSpinBox* m_retention;
    QComboBox* m_retries;
    QSpinBox* m_retryDelay;
    QCheckBox* m_understand;
    SettingsRow* m_retentionRow;
    SettingsRow* m_retryDelayRow;
    SettingsRow* m_mirrorRow;
};

} // namespace mv
