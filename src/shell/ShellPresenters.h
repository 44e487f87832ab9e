#pragma once

#include "ui/models/DashboardPresenter.h"

#include <QPoint>

#include <optional>

namespace mv {

// The floating panel as the tray sees it.
class PanelPresenter {
public:
    virtual ~PanelPresenter() = default;
    virtual bool isPanelVisible() const = 0;
    // Shows the panel under `anchor` (the tray icon's position on screen), or where it was last when none.
    virtual void showPanel(std::optional<QPoint> anchor) = 0;
    virtual void hidePanel() = 0;
};

} // namespace mv
