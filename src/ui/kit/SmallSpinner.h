#pragma once

#include <QVariantAnimation>
#include <QWidget>

namespace mv {

// A small indeterminate activity indicator: an arc that turns while shown, and stands still under Reduce
// Motion.
class SmallSpinner : public QWidget {
    Q_OBJECT
public:
    explicit SmallSpinner(int side, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateTurning();

    QVariantAnimation m_turn;
};

} // namespace mv
