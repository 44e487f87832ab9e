#pragma once

#include <QWidget>

namespace mv {

// A hairline across the sheet or between the rows of a card, starting `indent` from the leading edge.
class EditorHairline : public QWidget {
    Q_OBJECT
public:
    explicit EditorHairline(int indent = 0, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_indent;
};

} // namespace mv
