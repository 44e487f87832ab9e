#include "ui/kit/ProgressBarView.h"

#include "model/Format.h"
#include "ui/kit/ContinuousShape.h"
#include "ui/kit/KitAccessibility.h"
#include "ui/kit/Motion.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mv {

namespace {
constexpr qreal sliderShare = 0.28;
constexpr qreal sliderMinimum = 24;
constexpr qreal travelShare = 0.72;
constexpr int glideMs = 1300;
constexpr qreal fillStartOpacity = 0.85;

// One glide to the end and back: the animation runs 0 → 1 over both ways, eased in and out on each.
qreal glideCurve(qreal progress)
{
    const qreal way = progress < 0.5 ? 2 * progress : 2 - 2 * progress;
    return QEasingCurve(QEasingCurve::InOutSine).valueForProgress(way);
}
} // namespace

ProgressBarView::ProgressBarView(
    std::optional<double> fraction, PaletteColor tint, qreal height, QWidget* parent)
    : QWidget(parent)
    , m_tint(std::move(tint))
    , m_height(height)
    , m_gate(
          this, [this] { return m_slide && !m_fraction; },
          [this](bool run) {
              if (run && !isSliding())
                  m_slider.start();
              else if (!run)
                  m_slider.stop();
              update();
          })
{
    installKitAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(int(std::ceil(height)));
    m_slider.setStartValue(0.0);
    m_slider.setEndValue(1.0);
    m_slider.setDuration(2 * glideMs);
    QEasingCurve curve;
    curve.setCustomType(glideCurve);
    m_slider.setEasingCurve(curve);
    m_slider.setLoopCount(-1);
    connect(&m_slider, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    setFraction(fraction);
}

void ProgressBarView::setFraction(std::optional<double> fraction)
{
    showFraction(fraction, false);
}

void ProgressBarView::glideTo(std::optional<double> fraction)
{
    showFraction(fraction, true);
}

void ProgressBarView::showFraction(std::optional<double> fraction, bool glide)
{
    const std::optional<double> before = clampedFraction();
    // A fraction that is not a finite number means the progress is not known.
    m_fraction = fraction && std::isfinite(*fraction) ? fraction : std::nullopt;
    const auto shown = percent();
    setAccessibleName(shown ? tr("Progress %1").arg(Format::percent(*clampedFraction()))
                            : tr("Progress not measurable yet"));
    // The same fraction again leaves the fill where it is, or on its way there.
    if (const std::optional<double> to = clampedFraction(); to && to != before) {
        if (glide && before) {
            // From where the fill stands, also halfway through an earlier glide.
            m_glide = Motion::animate(*this, "filled", {}, *to, Motion::progress());
        } else {
            if (m_glide)
                m_glide->stop();
            setFilled(*to);
        }
    }
    m_gate.reconsider();
    update();
}

void ProgressBarView::setFilled(qreal filled)
{
    m_filled = filled;
    update();
}

void ProgressBarView::setTint(PaletteColor tint)
{
    m_tint = std::move(tint);
    update();
}

std::optional<double> ProgressBarView::clampedFraction() const
{
    if (!m_fraction)
        return std::nullopt;
    return std::clamp(*m_fraction, 0.0, 1.0);
}

std::optional<int> ProgressBarView::percent() const
{
    const auto fraction = clampedFraction();
    if (!fraction)
        return std::nullopt;
    return int(std::round(*fraction * 100));
}

bool ProgressBarView::isSliding() const
{
    return m_slider.state() == QAbstractAnimation::Running;
}

QRectF ProgressBarView::indicatorRect() const
{
    const qreal width = this->width();
    if (m_fraction)
        return { 0, 0, std::max(0.0, width * m_filled), m_height };
    const qreal slider = std::max(width * sliderShare, sliderMinimum);
    qreal offset = 0;
    if (m_slide)
        offset = width * travelShare * (isSliding() ? m_slider.currentValue().toReal() : 1.0);
    return { offset, 0, slider, m_height };
}

QSize ProgressBarView::sizeHint() const
{
    return { 200, int(std::ceil(m_height)) };
}

void ProgressBarView::showEvent(QShowEvent* event)
{
    m_slide = true;
    m_gate.reconsider();
    QWidget::showEvent(event);
}

void ProgressBarView::hideEvent(QHideEvent* event)
{
    m_slider.stop();
    QWidget::hideEvent(event);
}

void ProgressBarView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track(0, 0, width(), m_height);
    painter.setBrush(Palette::well.resolve(this));
    painter.drawPath(continuousRoundedRect(track, m_height / 2));

    const QRectF indicator = indicatorRect();
    if (indicator.width() <= 0)
        return;
    if (m_fraction) {
        QLinearGradient gradient(indicator.topLeft(), indicator.topRight());
        gradient.setColorAt(0, m_tint.opacity(fillStartOpacity).resolve(this));
        gradient.setColorAt(1, m_tint.resolve(this));
        painter.setBrush(gradient);
    } else {
        painter.setBrush(m_tint.opacity(fillStartOpacity).resolve(this));
    }
    painter.drawPath(continuousRoundedRect(indicator, m_height / 2));
}

} // namespace mv
