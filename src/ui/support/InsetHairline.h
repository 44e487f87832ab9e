#pragma once

#include <QWidget>

namespace mv {

// A 0.5 px line in the hairline colour across the width it is given, starting `inset` px from the left.
class InsetHairline : public QWidget {
    Q_OBJECT
public:
    explicit InsetHairline(int inset, QWidget* parent = nullptr);

    int inset() const { return m_inset; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_inset;
};

} // namespace mv
