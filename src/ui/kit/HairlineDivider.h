#pragma once

#include <QWidget>

namespace mv {

// A full-pixel hairline across a sheet or between the rows of a card, starting `indent` from the leading
// edge.
class HairlineDivider : public QWidget {
    Q_OBJECT
public:
    explicit HairlineDivider(int indent, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_indent;
};

} // namespace mv
