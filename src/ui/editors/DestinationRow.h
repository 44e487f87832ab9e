#pragma once

#include "model/BackupDestination.h"

#include <QWidget>

#include <functional>

namespace mv {

class IconButton;
class ToggleSwitch;

// What a destination row can ask of its editor.
struct DestinationRowActions {
    std::function<void()> edit;
    std::function<void()> remove;
    std::function<void(bool)> setEnabled;
};

// One destination of the job being edited: its kind's tile, its name with the mode it runs in (and "Off"
// while turned off), where it copies to and when it runs, then its switch, edit and remove buttons. A click
// elsewhere on the row edits it too.
class DestinationRow : public QWidget {
    Q_OBJECT
public:
    // `mode` and `schedule` are the effective ones: the destination's own, or the job's.
    DestinationRow(const BackupDestination& destination, BackupMode mode, const BackupSchedule& schedule,
        DestinationRowActions actions, QWidget* parent = nullptr);

    ToggleSwitch* enabledSwitch() const { return m_switch; }
    IconButton* editButton() const { return m_edit; }
    IconButton* removeButton() const { return m_remove; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    DestinationRowActions m_actions;
    ToggleSwitch* m_switch;
    IconButton* m_edit;
    IconButton* m_remove;
};

} // namespace mv
