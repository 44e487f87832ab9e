#pragma once

#include "shell/AlertPresenter.h"
#include "shell/AppDelegate.h"
#include "ui/kit/Prompts.h"

#include <QPointer>

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

    DesktopPrompts m_prompts;
    QPointer<AlertPresenter> m_alerts; // owned by the state hub
};

} // namespace mv
