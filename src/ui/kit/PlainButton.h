#pragma once

#include "ui/kit/KitButton.h"

namespace mv {

// A button that draws no chrome of its own: its look is the widgets laid out inside it, and a click
// anywhere on its rectangle presses it.
class PlainButton : public KitButton {
    Q_OBJECT
public:
    explicit PlainButton(std::function<void()> action, QWidget* parent = nullptr);

    // Takes `content` as the button's face; clicks on it reach the button.
    void setContent(QWidget* content);
    // Outlines the button in the accent colour while it has the keyboard focus, for a face that shows no
    // focus of its own.
    void setFocusRing(bool shown);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_focusRing = false;
};

} // namespace mv
