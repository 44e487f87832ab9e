#pragma once

#include <QAbstractButton>

namespace mv {

// A small on/off switch without a label of its own: a capsule, accent-filled while on, with a round knob at
// the end it is switched to. `name` is what accessibility reads (the row's title names it on screen).
// - plain: the editors' switch; off, a faint capsule without an edge.
// - outlined: a settings row's switch; off, a well with a strong hairline, and dimmed while disabled.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { plain, outlined };

    ToggleSwitch(Kind kind, bool on, const QString& name, QWidget* parent = nullptr);

    QSize sizeHint() const override { return { 26, 15 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
};

} // namespace mv
