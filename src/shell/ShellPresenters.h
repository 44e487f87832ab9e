#pragma once

#include "ui/models/dashboard/DashboardPresenter.h"

#include <QPoint>

#include <optional>

namespace mv {

// The floating panel as the tray sees it.
class PanelPresenter {
public:
    virtual ~PanelPresenter() = default;
    virtual bool isPanelVisible() const = 0;
    // Shows the panel under `anchor` (the tray icon's position on screen), or under the tray icon its owner
    // knows of when none. A call while the panel is shown or animating does nothing.
    virtual void showPanel(std::optional<QPoint> anchor) = 0;
    // A person's request to hide it; does nothing while it animates.
    virtual void hidePanel() = 0;
    // Another window takes over (the dashboard opens): hides the panel, also when it is still opening.
    virtual void dismissPanel() { hidePanel(); }
};

} // namespace mv
