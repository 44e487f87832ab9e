#pragma once

#include <QImage>
#include <QWidget>

namespace mv {

class MenuBarPanel;
class PanelBackground;
struct ViewContext;

// The panel window's content: the panel's column on a rounded card with a thin border and a soft shadow,
// inside a transparent margin that leaves the shadow room in the window.
class PanelRootView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal cornerRadius = 14;

    explicit PanelRootView(ViewContext& context, QWidget* parent = nullptr);

    // The card's place in the window, and its rounded shape for a window that cannot be see-through.
    QRect cardRect() const;
    QRegion cardRegion() const;

    MenuBarPanel& panel() const { return *m_panel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& shadow();

    PanelBackground* m_background;
    MenuBarPanel* m_panel;
    QImage m_shadow;
    QRgb m_shadowColour = 0;
};

} // namespace mv
