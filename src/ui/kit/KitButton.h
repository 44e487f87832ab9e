#pragma once

#include "ui/kit/MVPressStyle.h"

#include <QAbstractButton>

#include <functional>

namespace mv {

// What the kit's buttons share: the action run once per completed click, the hover state, and the press
// style.
class KitButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(qreal hoverProgress READ hoverProgress WRITE setHoverProgress)
public:
    void setAction(std::function<void()> action) { m_action = std::move(action); }

    bool hovering() const { return m_hovering; }
    // 0 at rest, 1 under the pointer, in between while fading.
    qreal hoverProgress() const { return m_hoverProgress; }
    const MVPressStyle& pressStyle() const { return m_pressStyle; }
    // Whether a click would run the action now (accessibility presses ask too).
    virtual bool acceptsClicks() const { return isEnabled(); }

protected:
    // `hoverMotion` cross-fades the hover colours over Motion::quick (unless Reduce Motion is on); otherwise
    // they switch at once.
    KitButton(std::function<void()> action, bool hoverMotion, QWidget* parent);

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setHovering(bool hovering);
    void setHoverProgress(qreal progress);

    std::function<void()> m_action;
    bool m_hoverMotion;
    bool m_hovering = false;
    qreal m_hoverProgress = 0;
    MVPressStyle m_pressStyle;
};

} // namespace mv
