#pragma once

#include "ui/kit/Palette.h"

#include <QVariantAnimation>
#include <QWidget>

namespace mv {

// The growing, fading ring of a pulsing StatusDot. It lives beside the dot in the dot's parent, centred on
// the dot, so it can be larger than the dot; it takes no clicks.
class PulseRing : public QWidget {
    Q_OBJECT
public:
    PulseRing(qreal dotSize, QWidget* parent);

    void setColor(PaletteColor color);
    void centreOn(const QRect& dotGeometry);
    void start();
    void stop();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_diameter;
    PaletteColor m_color = Palette::accent;
    QVariantAnimation m_animation;
};

} // namespace mv
