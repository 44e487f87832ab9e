#include "ui/kit/StatusDot.h"

#include "ui/kit/KitAccessibility.h"
#include "ui/kit/PulseRing.h"

#include <QEvent>
#include <QPainter>

#include <cmath>

namespace mv {

StatusDot::StatusDot(PaletteColor color, bool pulsing, qreal size, QWidget* parent)
    : QWidget(parent)
    , m_color(std::move(color))
    , m_pulsing(pulsing)
    , m_size(size)
    , m_gate(
          this, [this] { return m_pulsing && parentWidget(); }, [this](bool run) { showRing(run); })
{
    installKitAccessibility();
    setFixedSize(sizeHint());
}

StatusDot::~StatusDot()
{
    delete m_ring;
}

void StatusDot::setColor(PaletteColor color)
{
    m_color = std::move(color);
    if (m_ring)
        m_ring->setColor(m_color);
    update();
}

void StatusDot::setPulsing(bool pulsing)
{
    m_pulsing = pulsing;
    m_gate.reconsider();
}

bool StatusDot::isPulseShown() const
{
    return m_ring && m_ring->isVisible();
}

QSize StatusDot::sizeHint() const
{
    const int side = int(std::ceil(m_size));
    return { side, side };
}

void StatusDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color.resolve(this));
    painter.drawEllipse(QRectF(rect()).center(), m_size / 2, m_size / 2);
}

void StatusDot::showEvent(QShowEvent* event)
{
    m_gate.reconsider();
    QWidget::showEvent(event);
}

void StatusDot::hideEvent(QHideEvent* event)
{
    m_gate.reconsider();
    QWidget::hideEvent(event);
}

void StatusDot::moveEvent(QMoveEvent* event)
{
    if (m_ring)
        m_ring->centreOn(geometry());
    QWidget::moveEvent(event);
}

void StatusDot::resizeEvent(QResizeEvent* event)
{
    if (m_ring)
        m_ring->centreOn(geometry());
    QWidget::resizeEvent(event);
}

void StatusDot::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ParentChange) {
        delete m_ring;
        m_gate.reconsider();
    }
    QWidget::changeEvent(event);
}

void StatusDot::showRing(bool shown)
{
    if (!shown) {
        if (m_ring)
            m_ring->stop();
        return;
    }
    if (!m_ring) {
        m_ring = new PulseRing(m_size, parentWidget());
        m_ring->setColor(m_color);
    }
    m_ring->centreOn(geometry());
    m_ring->start();
}

} // namespace mv
