#pragma once

#include <QWidget>

namespace mv {

// How strong a hairline is drawn: a full pixel of the hairline colour, or the half-pixel line of the panel
// and the help topics (a full pixel at half the colour's strength, as a half pixel renders).
enum class HairlineWeight { full, half };

// A line one pixel thick in the hairline colour along the widget: across its width (horizontal) or down
// its height (vertical), starting `indent` from the leading edge. It takes the length the layout gives it;
// a caller wanting a set length fixes it.
class Hairline : public QWidget {
    Q_OBJECT
public:
    explicit Hairline(Qt::Orientation orientation = Qt::Horizontal,
        HairlineWeight weight = HairlineWeight::full, int indent = 0, QWidget* parent = nullptr);

    Qt::Orientation orientation() const { return m_orientation; }
    HairlineWeight weight() const { return m_weight; }
    int indent() const { return m_indent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
    HairlineWeight m_weight;
    int m_indent;
};

} // namespace mv
