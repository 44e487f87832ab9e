#pragma once

#include "shell/AlertPresenter.h"
#include "shell/AppDelegate.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/ViewObjects.h"

#include <QPointer>

#include <memory>

namespace mv {

class AlertPresenter;
class AppState;
class FileManager;
class UrlOpener;

// The program's windows, made once the state hub exists: the floating panel under the tray icon, the
// dashboard, the one presenter of alerts over both, and the run logs the dashboard asks for.
class ProgramViews {
public:
    ProgramViews(FileManager& fileManager, UrlOpener& urlOpener);

    // The factories the delegate calls at launch. `delegate` tells the panel where the tray icon is.
    ShellViews factories(AppDelegate& delegate);

private:
    AlertPresenter& alerts(AppState& state);
    // What the windows follow, made from the state hub by the first window that needs it.
    ViewContext& context(AppState& state);

    DesktopPrompts m_prompts;
    QPointer<AlertPresenter> m_alerts; // owned by the state hub
    std::unique_ptr<ViewObjects> m_views;
};

} // namespace mv
