#pragma once

#include "ui/models/dashboard/DashboardSection.h"

namespace mv {

// The dashboard window as the tray and the program see it. It lives here, below both the shell and the
// dashboard, so that each can name it without depending on the other.
class DashboardPresenter {
public:
    virtual ~DashboardPresenter() = default;
    virtual void openDashboard(DashboardSection section) = 0;
};

} // namespace mv
