#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;

namespace mv {

class JobEditorModel;
class ModeRow;

// "Backup mode": one row per mode, and under them, while mirror is chosen, the warning with the checkbox that
// confirms mirror may delete files.
class ModeSection : public QWidget {
    Q_OBJECT
public:
    explicit ModeSection(JobEditorModel& model, QWidget* parent = nullptr);

    const QList<ModeRow*>& rows() const { return m_rows; }
    QWidget* mirrorWarning() const { return m_warning; }
    QCheckBox* mirrorCheckbox() const { return m_acknowledge; }

private:
    QWidget* makeWarning();
    void refresh();

    JobEditorModel& m_model;
    QList<ModeRow*> m_rows;
    QCheckBox* m_acknowledge = nullptr;
    QWidget* m_warning;
};

} // namespace mv
