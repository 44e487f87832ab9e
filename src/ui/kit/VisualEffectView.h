#pragma once

#include <QWidget>

namespace mv {

enum class VisualEffectMaterial { popover, sidebar, windowBackground };
enum class VisualEffectBlendingMode { behindWindow, withinWindow };
enum class VisualEffectState { followsWindowActiveState, active, inactive };

// The material behind a panel. Linux desktops offer no blur to a program, so the material is an opaque colour
// for the appearance the view is in; blending mode and state are kept for the callers but change nothing.
class VisualEffectView : public QWidget {
    Q_OBJECT
public:
    VisualEffectView(VisualEffectMaterial material, VisualEffectBlendingMode blendingMode,
        VisualEffectState state, QWidget* parent = nullptr);

    VisualEffectMaterial material() const { return m_material; }
    void setMaterial(VisualEffectMaterial material);
    void setBlendingMode(VisualEffectBlendingMode blendingMode) { m_blendingMode = blendingMode; }
    void setState(VisualEffectState state) { m_state = state; }

    QColor materialColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    VisualEffectMaterial m_material;
    VisualEffectBlendingMode m_blendingMode;
    VisualEffectState m_state;
};

} // namespace mv
