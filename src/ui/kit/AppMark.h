#pragma once

#include <QWidget>

namespace mv {

// The program's mark: a tile with continuous corners and a diagonal brand gradient, holding the white sync
// symbol. Every length follows `size`. Decorative: accessibility passes over it.
class AppMark : public QWidget {
    Q_OBJECT
public:
    explicit AppMark(qreal size, QWidget* parent = nullptr);

    qreal cornerRadius() const;
    qreal glyphSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_size;
};

} // namespace mv
