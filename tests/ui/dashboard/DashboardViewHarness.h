#pragma once

#include "support/ManualClock.h"
#include "support/state/AppStateHarness.h"
#include "support/ui/RecordingPrompts.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <optional>

namespace mv::test {

// The dashboard's content as the window holds it, at the window's default size, on a state hub with a
// hand-moved clock. Jobs are added to the hub before build().
struct DashboardViewHarness {
    AppStateHarness hub;
    ManualClock clock;
    RecordingPrompts prompts;
    DashboardModel model;
    std::optional<DashboardView> view;

    void build()
    {
        hub.build();
        showView();
    }
    // The view on a hub built already.
    void showView()
    {
        view.emplace(hub.context(), model, clock, prompts);
        view->resize(1040, 700);
        view->show();
    }
};

} // namespace mv::test
