#pragma once

#include <QWidget>

class QPainter;

namespace mv {

// Whether a well is outlined: the fields' wells are, the boxes behind a list or a text are not.
enum class WellEdge { none, hairline };

// Paints a well: the well colour in a rounded shape with continuous corners, with a hairline inside its
// edge when asked. Every sunken surface of the kit is painted by this one function.
void paintWell(QPainter& painter, const QRectF& rect, qreal radius, const QWidget* widget, WellEdge edge);

// A recessed box behind a list or a text: a well without an edge. It adds no padding of its own.
class WellSurface : public QWidget {
    Q_OBJECT
public:
    explicit WellSurface(qreal radius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
};

} // namespace mv
