#pragma once

#include "ui/kit/VisualEffectView.h"

namespace mv {

// The backdrop of the panel's card: the popover material with the panel's tint over it, filling a rounded
// rectangle of `cornerRadius`.
class PanelBackground : public VisualEffectView {
    Q_OBJECT
public:
    explicit PanelBackground(qreal cornerRadius, QWidget* parent = nullptr);

    // The tint over the material: the colour the card shows.
    QColor backdropColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_cornerRadius;
};

} // namespace mv
