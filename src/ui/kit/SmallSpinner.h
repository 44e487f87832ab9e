#pragma once

#include "ui/kit/MotionGate.h"

#include <QVariantAnimation>
#include <QWidget>

class QPainter;

namespace mv {

// A small indeterminate activity indicator that turns while shown, and stands still under Reduce Motion.
// A ring spinner is a faint track with a short arc on it; an arc spinner is an open arc of three quarters.
class SmallSpinner : public QWidget {
    Q_OBJECT
public:
    enum class Look { ring, arc };

    explicit SmallSpinner(int side, Look look = Look::ring, QWidget* parent = nullptr);

    // Paints the arc spinner's arc in `box`, turned `degrees` clockwise: also a busy button's spinner.
    static void paintArc(QPainter& painter, const QRectF& box, qreal degrees, const QColor& ink);

    // One turn of a spinner.
    static void configureTurn(QVariantAnimation& turn);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Look m_look;
    QVariantAnimation m_turn;
    MotionGate m_gate;
};

} // namespace mv
