#pragma once

#include <QWidget>

namespace mv {

// A horizontal rule half a pixel high in the hairline colour, across the full width.
class Hairline : public QWidget {
    Q_OBJECT
public:
    explicit Hairline(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace mv
