#pragma once

#include "ui/kit/MotionGate.h"
#include "ui/kit/Palette.h"

#include <QPointer>
#include <QPropertyAnimation>
#include <QVariantAnimation>
#include <QWidget>

#include <optional>

namespace mv {

// The thin capsule progress bar of the run cards. A known fraction fills part of the track with a gradient of
// the tint; no fraction (or one that is not a finite number) shows a slider gliding along the track, standing
// at its end under Reduce Motion. Accessibility reads "Progress 42%".
class ProgressBarView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qreal filled READ filled WRITE setFilled)
public:
    ProgressBarView(
        std::optional<double> fraction, PaletteColor tint, qreal height, QWidget* parent = nullptr);

    std::optional<double> fraction() const { return m_fraction; }
    void setFraction(std::optional<double> fraction);
    // As setFraction, but the fill glides with Motion::progress from one known fraction to the next.
    void glideTo(std::optional<double> fraction);
    void setTint(PaletteColor tint);

    // The share of the track the fill covers now: the clamped fraction, or on its way to it while gliding.
    qreal filled() const { return m_filled; }
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
    void showFraction(std::optional<double> fraction, bool glide);
    void setFilled(qreal filled);

    std::optional<double> m_fraction;
    qreal m_filled = 0;
    PaletteColor m_tint;
    qreal m_height;
    // Turns on when the bar first comes on screen and stays on.
    bool m_slide = false;
    QVariantAnimation m_slider;
    QPointer<QPropertyAnimation> m_glide;
    MotionGate m_gate;
};

} // namespace mv
