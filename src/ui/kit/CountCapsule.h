#pragma once

#include <QWidget>

namespace mv {

// A number on a small well capsule (the count beside a section's caption).
class CountCapsule : public QWidget {
    Q_OBJECT
public:
    explicit CountCapsule(qint64 count, QWidget* parent = nullptr);

    qint64 count() const { return m_count; }
    void setCount(qint64 count);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text() const;

    qint64 m_count;
};

} // namespace mv
