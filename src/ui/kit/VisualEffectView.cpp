#include "ui/kit/VisualEffectView.h"

#include "ui/kit/Appearance.h"

#include <QPainter>

namespace mv {

VisualEffectView::VisualEffectView(VisualEffectMaterial material, VisualEffectBlendingMode blendingMode,
    VisualEffectState state, QWidget* parent)
    : QWidget(parent)
    , m_material(material)
    , m_blendingMode(blendingMode)
    , m_state(state)
{
}

void VisualEffectView::setMaterial(VisualEffectMaterial material)
{
    m_material = material;
    update();
}

QColor VisualEffectView::materialColor() const
{
    const bool dark = effectiveAppearance(this) == Appearance::dark;
    switch (m_material) {
    case VisualEffectMaterial::popover:
        return dark ? QColor(40, 42, 47) : QColor(236, 237, 240);
    case VisualEffectMaterial::sidebar:
        return dark ? QColor(33, 35, 39) : QColor(228, 230, 234);
    case VisualEffectMaterial::windowBackground:
        return palette().color(QPalette::Window);
    }
    return palette().color(QPalette::Window);
}

void VisualEffectView::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), materialColor());
}

} // namespace mv
