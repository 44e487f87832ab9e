#include "ui/kit/KitButton.h"

#include "ui/kit/KitAccessibility.h"
#include "ui/kit/Motion.h"

#include <QKeyEvent>

namespace mv {

KitButton::KitButton(std::function<void()> action, bool hoverMotion, QWidget* parent)
    : QAbstractButton(parent)
    , m_action(std::move(action))
    , m_hoverMotion(hoverMotion)
    , m_pressStyle(this)
{
    installKitAccessibility();
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (acceptsClicks() && m_action)
            m_action();
    });
}

bool KitButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::Enter:
        setHovering(true);
        break;
    case QEvent::HoverLeave:
    case QEvent::Leave:
    case QEvent::Hide:
        setHovering(false);
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void KitButton::keyPressEvent(QKeyEvent* event)
{
    if (!acceptsClicks()) {
        event->ignore();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void KitButton::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    const qreal target = hovering ? 1 : 0;
    if (m_hoverMotion)
        Motion::animate(*this, "hoverProgress", {}, target, Motion::quick());
    else
        setHoverProgress(target);
}

void KitButton::setHoverProgress(qreal progress)
{
    m_hoverProgress = progress;
    update();
}

} // namespace mv
