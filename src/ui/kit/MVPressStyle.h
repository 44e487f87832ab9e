#pragma once

#include <QObject>
#include <QVariantAnimation>

class QAbstractButton;
class QPainter;

namespace mv {

// The press feedback of the kit's buttons: while pressed the button shrinks to 0.975 of its size about its
// centre, easing there and back with Motion::quick.
class MVPressStyle : public QObject {
    Q_OBJECT
public:
    explicit MVPressStyle(QAbstractButton* button);

    qreal scale() const { return m_scale; }
    // Scales `painter` about the button's centre by the current press scale.
    void apply(QPainter& painter) const;

private:
    void follow(bool pressed);

    QAbstractButton* m_button;
    QVariantAnimation m_animation;
    qreal m_scale = 1;
};

} // namespace mv
