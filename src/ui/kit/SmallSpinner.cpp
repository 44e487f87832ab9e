#include "ui/kit/SmallSpinner.h"

#include "ui/kit/MotionSettings.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

SmallSpinner::SmallSpinner(int side, QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(side, side);
    setAccessibleName(QStringLiteral("In progress"));
    m_turn.setStartValue(0.0);
    m_turn.setEndValue(360.0);
    m_turn.setDuration(900);
    m_turn.setLoopCount(-1);
    connect(&m_turn, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(&MotionSettings::instance(), &MotionSettings::reduceMotionChanged, this,
        &SmallSpinner::updateTurning);
}

void SmallSpinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateTurning();
}

void SmallSpinner::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_turn.stop();
}

void SmallSpinner::updateTurning()
{
    if (isVisible() && !MotionSettings::instance().reduceMotion())
        m_turn.start();
    else
        m_turn.stop();
}

void SmallSpinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = std::max(1.0, width() / 7.0);
    const QRectF ring = QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
    const QColor ink = Palette::labelSecondary.resolve(this);
    QColor track = ink;
    track.setAlphaF(ink.alphaF() * 0.25);
    painter.setPen(QPen(track, pen));
    painter.drawEllipse(ring);
    painter.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap));
    const int start = int(90 - m_turn.currentValue().toReal()) * 16;
    painter.drawArc(ring, start, -100 * 16);
}

} // namespace mv
