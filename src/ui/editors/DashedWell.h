#pragma once

#include <QWidget>

namespace mv {

// The dashed box of an empty place waiting to be filled (no source yet, no destination yet): a half-opaque
// well with a dashed outline, both turning to the accent while something hovers over it to be dropped.
class DashedWell : public QWidget {
    Q_OBJECT
public:
    explicit DashedWell(QWidget* parent = nullptr);

    void setTargeted(bool targeted);
    bool isTargeted() const { return m_targeted; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_targeted = false;
};

} // namespace mv
