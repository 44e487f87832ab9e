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

QColor PanelBackground::backdropColor() const
{
    const QColor under = materialColor();
    const QColor over = Palette::panelTint.resolve(this);
    const qreal alpha = over.alphaF();
    const auto channel = [alpha](qreal top, qreal bottom) { return top * alpha + bottom * (1 - alpha); };
    return QColor::fromRgbF(float(channel(over.redF(), under.redF())),
        float(channel(over.greenF(), under.greenF())), float(channel(over.blueF(), under.blueF())));
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
