#pragma once

#include <QWidget>

namespace mv {

// A 0.5 px line in the hairline colour: across the full width of a card, or standing `length` tall between
// the cells of a row.
class HairlineRule : public QWidget {
    Q_OBJECT
public:
    explicit HairlineRule(Qt::Orientation orientation, int length = 0, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
    int m_length;
};

} // namespace mv
