#include "ui/kit/SmallSpinner.h"

#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

SmallSpinner::SmallSpinner(int side, Look look, QWidget* parent)
    : QWidget(parent)
    , m_look(look)
    , m_gate(
          this, [] { return true; },
          [this](bool run) {
              if (run)
                  m_turn.start();
              else
                  m_turn.stop();
          })
{
    setFixedSize(side, side);
    setAccessibleName(QStringLiteral("In progress"));
    configureTurn(m_turn);
    connect(&m_turn, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
}

void SmallSpinner::configureTurn(QVariantAnimation& turn)
{
    turn.setStartValue(0.0);
    turn.setEndValue(360.0);
    turn.setDuration(900);
    turn.setLoopCount(-1);
}

void SmallSpinner::paintArc(QPainter& painter, const QRectF& box, qreal degrees, const QColor& ink)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(box, -int(degrees * 16), 270 * 16);
    painter.restore();
}

void SmallSpinner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_gate.reconsider();
}

void SmallSpinner::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_gate.reconsider();
}

void SmallSpinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor ink = Palette::labelSecondary.resolve(this);
    const qreal degrees = m_turn.currentValue().toReal();
    if (m_look == Look::arc) {
        paintArc(painter, QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), degrees, ink);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal pen = std::max(1.0, width() / 7.0);
    const QRectF ring = QRectF(rect()).adjusted(pen / 2, pen / 2, -pen / 2, -pen / 2);
    QColor track = ink;
    track.setAlphaF(ink.alphaF() * 0.25);
    painter.setPen(QPen(track, pen));
    painter.drawEllipse(ring);
    painter.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap));
    const int start = int(90 - degrees) * 16;
    painter.drawArc(ring, start, -100 * 16);
}

} // namespace mv
