#pragma once

#include <QWidget>

namespace mv {

// A recessed box behind a list or a text: the well colour in a rounded shape with continuous corners and no
// border. It adds no padding of its own.
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
