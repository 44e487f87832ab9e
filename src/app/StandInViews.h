#pragma once

#include "shell/ShellPresenters.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>

#include <functional>

namespace mv {

class AppState;

// Plain windows standing where the panel and the dashboard go until they are built, so that every path of
// the shell can be used: each shows the overall status.
class StandInPanel final : public PanelPresenter {
public:
    explicit StandInPanel(AppState& state);
    ~StandInPanel() override;

    bool isPanelVisible() const override;
    void showPanel(std::optional<QPoint> anchor) override;
    void hidePanel() override;

private:
    AppState& m_state;
    QLabel m_window;
};

class StandInDashboard final : public DashboardPresenter {
public:
    StandInDashboard(AppState& state, std::function<void()> hidePanel, std::function<void()> quit);
    ~StandInDashboard() override;

    void openDashboard(DashboardSection section) override;

private:
    AppState& m_state;
    std::function<void()> m_hidePanel;
    QMainWindow m_window;
    QLabel m_content;
};

} // namespace mv
