#pragma once

#include <QAbstractButton>

namespace mv {

// The small on/off switch of a settings row: a capsule with a knob, accent-filled while on. Its row's title
// names it, so it shows no text of its own; the title is its accessible name.
class SettingSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit SettingSwitch(const QString& accessibleName, QWidget* parent = nullptr);

    QSize sizeHint() const override { return { 26, 15 }; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace mv
