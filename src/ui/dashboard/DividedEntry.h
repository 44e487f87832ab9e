#pragma once

#include <QWidget>

class QVBoxLayout;

namespace mv {

class Hairline;

// One entry of a list on a card: its content, under an inset hairline unless it is the first entry.
class DividedEntry : public QWidget {
    Q_OBJECT
public:
    DividedEntry(QWidget* content, bool first, QWidget* parent = nullptr);

    void setFirst(bool first);

private:
    QVBoxLayout* m_column;
    Hairline* m_divider = nullptr;
};

} // namespace mv
