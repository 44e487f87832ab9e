#pragma once

#include "ui/kit/KitButton.h"

namespace mv {

// A plain text button in the accent colour (12 px medium), without a frame: "+1 more" under a job's
// destinations.
class AccentTextButton : public KitButton {
    Q_OBJECT
public:
    AccentTextButton(
        const QString& title, qreal leadingPadding, std::function<void()> action, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_leadingPadding;
};

} // namespace mv
