#pragma once

#include <QWidget>

namespace mv {

class ElidedLabel;

// The chosen folder of a local or network destination, in a well: a folder symbol and the path cut in its
// middle, or "No folder chosen" in tertiary text. It cannot be typed in.
class DestinationPathBox : public QWidget {
    Q_OBJECT
public:
    explicit DestinationPathBox(QWidget* parent = nullptr);

    void setPath(const QString& path);
    ElidedLabel* label() const { return m_label; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ElidedLabel* m_label;
};

} // namespace mv
