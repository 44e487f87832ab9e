#pragma once

#include <QAbstractButton>

namespace mv {

// A small on/off switch without a label of its own: a capsule in the accent colour while on, with a round
// knob that sits at the end it is switched to. `name` is what accessibility reads.
class MiniSwitch : public QAbstractButton {
    Q_OBJECT
public:
    MiniSwitch(bool on, const QString& name, QWidget* parent = nullptr);

    QSize sizeHint() const override { return { 26, 15 }; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace mv
