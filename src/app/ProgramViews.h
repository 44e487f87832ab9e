#pragma once

#include "shell/AppDelegate.h"
#include "ui/kit/Prompts.h"

namespace mv {

class AlertPresenter;
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
    DesktopPrompts m_prompts;
    AlertPresenter* m_alerts = nullptr; // owned by the panel, made with it
};

} // namespace mv
