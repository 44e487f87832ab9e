#pragma once

#include "coordination/AppEnvironment.h"
#include "coordination/NavigationRequest.h"
#include "shell/LaunchSwitches.h"
#include "shell/ShellPresenters.h"
#include "shell/UpdateController.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <QAction>
#include <QList>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

namespace mv {

class AppState;
class ConfigurationStore;
class TrayShell;
class ViewObjects;
struct QuitQuestion;
struct ViewContext;

// How the program makes its two windows once the views' objects exist. The dashboard is handed
// `hidePanel`, which it calls when it opens.
struct ShellViews {
    std::function<std::unique_ptr<PanelPresenter>(ViewContext&)> makePanel;
    std::function<std::unique_ptr<DashboardPresenter>(
        ViewContext&, DashboardModel&, std::function<void()> hidePanel)>
        makeDashboard;
    // Whether a tray can show the icon; without one the dashboard is the way in.
    std::function<bool()> trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
};

// The program's life: builds the state hub, the windows and the tray in order, routes the views' navigation
// requests, runs the delayed launch actions and the debugging hooks, answers a reopen, and ends calmly
// (asking first while backups run). `finished` tells the owner the event loop may end.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds firstRunPanelDelay { 500 };
    static constexpr std::chrono::milliseconds dashboardAtLoginDelay { 800 };
    static constexpr std::chrono::milliseconds debugDashboardDelay { 1000 };
    static constexpr std::chrono::milliseconds googleSignInDelay { 1500 };
    static constexpr std::chrono::milliseconds debugRunDelay { 2000 };
    static constexpr std::chrono::milliseconds googleAutoRunPause { 2000 };

    AppDelegate(ConfigurationStore& store, const AppEnvironment& environment, ShellViews views,
        LaunchSwitches switches, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Replaces the window factories before launch, for factories that need the delegate itself.
    void setViews(ShellViews views);
    // The launch sequence; the tray icon is up when it returns.
    QCoro::Task<> launch();

    AppState* appState() { return m_appState.get(); }
    // What the windows follow; null before the launch.
    ViewContext* context();
    TrayShell* statusItem() { return m_statusItem.get(); }
    DashboardModel& ui() { return m_ui; }
    UpdateController& updates() { return m_updates; }

    void openDashboard(DashboardSection section);
    // Another start of the program asked this one to show itself.
    void reopen();
    // Quit from the menu or a view: asks while backups run, then stops them and saves.
    QCoro::Task<> requestQuit();
    // The system asked the program to end (SIGTERM, SIGINT): stops and saves without asking.
    QCoro::Task<> terminate();

    // The quit question, answered true for "Quit and Stop". A message box unless a test replaces it.
    std::function<QCoro::Task<bool>(QuitQuestion)> confirmQuit;

Q_SIGNALS:
    void finished();
    // The commands the dashboard carries in a menu bar of its own while no tray icon leads to the program
    // (no tray, or the icon turned off): Open Dashboard, Settings… and Quit, the tray menu's own commands.
    // Empty once the icon shows again.
    void dashboardMenuChanged(const QList<QAction*>& actions);

private:
    void navigate(const NavigationRequest& request);
    void scheduleLaunchActions();
    void after(std::chrono::milliseconds delay, std::function<void()> action);
    bool isStatusItemHidden() const;
    void updateDashboardMenu();
    QCoro::Task<> debugRun();
    QCoro::Task<> googleSignIn();
    // Saves, stops every run and saves again, then tells finished().
    QCoro::Task<> shutDown();

    ConfigurationStore& m_store;
    AppEnvironment m_environment;
    ShellViews m_views;
    LaunchSwitches m_switches;
    DashboardModel m_ui;
    UpdateController m_updates;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<ViewObjects> m_viewObjects;
    std::unique_ptr<PanelPresenter> m_panel;
    std::unique_ptr<DashboardPresenter> m_dashboard;
    std::unique_ptr<TrayShell> m_statusItem;
    std::vector<std::shared_ptr<ClockAlarm>> m_delayedActions;
    bool m_didShowFirstRunPanel = false;
    std::optional<bool> m_iconSettingSeen;
    bool m_dashboardHasMenu = false;
    bool m_askingToQuit = false;
    bool m_terminating = false;
};

} // namespace mv
