#pragma once

#include "ui/kit/MotionGate.h"
#include "ui/kit/Palette.h"

#include <QPointer>
#include <QWidget>

namespace mv {

class PulseRing;

// A filled dot of a status colour. A pulsing dot also shows a ring that grows and fades every 1.6 s, unless
// Reduce Motion is on; the ring spills over the dot's surroundings without changing the dot's size.
class StatusDot : public QWidget {
    Q_OBJECT
public:
    StatusDot(PaletteColor color, bool pulsing, qreal size, QWidget* parent = nullptr);
    ~StatusDot() override;

    PaletteColor color() const { return m_color; }
    void setColor(PaletteColor color);
    bool isPulsing() const { return m_pulsing; }
    void setPulsing(bool pulsing);

    // Whether the pulse ring is on screen now.
    bool isPulseShown() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showRing(bool shown);

    PaletteColor m_color;
    bool m_pulsing;
    qreal m_size;
    QPointer<PulseRing> m_ring;
    MotionGate m_gate;
};

} // namespace mv
