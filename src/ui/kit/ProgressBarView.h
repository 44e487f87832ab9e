#pragma once

#include "ui/kit/MotionGate.h"
#include "ui/kit/Palette.h"

#include <QVariantAnimation>
#include <QWidget>

#include <optional>

namespace mv {

// The thin capsule progress bar of the run cards. A known fraction fills part of the track with a gradient of
// the tint; no fraction (or one that is not a finite number) shows a slider gliding along the track, standing
// at its end under Reduce Motion. Accessibility reads "Progress 42%".
class ProgressBarView : public QWidget {
    Q_OBJECT
public:
    ProgressBarView(
        std::optional<double> fraction, PaletteColor tint, qreal height, QWidget* parent = nullptr);

    std::optional<double> fraction() const { return m_fraction; }
    void setFraction(std::optional<double> fraction);
    void setTint(PaletteColor tint);

    // The fill, or the slider when there is no fraction, in the bar's coordinates.
    QRectF indicatorRect() const;
    // The whole percentage spoken and offered as the accessible value; none without a fraction.
    std::optional<int> percent() const;
    bool isSliding() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    std::optional<double> clampedFraction() const;

    std::optional<double> m_fraction;
    PaletteColor m_tint;
    qreal m_height;
    // Turns on when the bar first comes on screen and stays on.
    bool m_slide = false;
    QVariantAnimation m_slider;
    MotionGate m_gate;
};

} // namespace mv
