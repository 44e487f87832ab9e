#pragma once

#include <QPushButton>

namespace mv {

// One segment of a segmented control: a checkable button that the keyboard chooses as a click does. Space,
// Return and Enter choose it, and the arrow keys move to the next segment of its group and choose that. It is
// never a dialog's default button, so Return on it chooses the segment rather than the dialog's action.
class SegmentButton : public QPushButton {
    Q_OBJECT
public:
    explicit SegmentButton(const QString& title, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace mv
