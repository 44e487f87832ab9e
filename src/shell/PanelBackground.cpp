#include "shell/PanelBackground.h"

#include "ui/kit/ContinuousShape.h"
#include "ui/kit/Palette.h"

#include <QPainter>

namespace mv {

PanelBackground::PanelBackground(qreal cornerRadius, QWidget* parent)
    : VisualEffectView(VisualEffectMaterial::popover, VisualEffectBlendingMode::behindWindow,
        VisualEffectState::followsWindowActiveState, parent)
    , m_cornerRadius(cornerRadius)
{
}

void PanelBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = continuousRoundedRect(rect(), m_cornerRadius);
    painter.fillPath(shape, materialColor());
    painter.fillPath(shape, Palette::panelTint.resolve(this));
}

} // namespace mv
