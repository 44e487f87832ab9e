#pragma once

#include <QWidget>

class QToolButton;

namespace mv {

class TextLabel;

// A number of minutes with a stepper beside it ("60 min"). The buttons move it by `step` within the range; a
// value from outside the range is shown as it is until a button is pressed.
class MinuteStepper : public QWidget {
    Q_OBJECT
public:
    MinuteStepper(qint64 value, qint64 minimum, qint64 maximum, qint64 step, QWidget* parent = nullptr);

    qint64 value() const { return m_value; }
    void setValue(qint64 value);
    QString text() const;
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

Q_SIGNALS:
    void valueChanged(qint64 value);

private:
    void stepBy(qint64 delta);

    qint64 m_value;
    const qint64 m_minimum;
    const qint64 m_maximum;
    const qint64 m_step;
    TextLabel* m_label;
    QToolButton* m_up;
    QToolButton* m_down;
};

} // namespace mv
