#pragma once

#include "shell/AlertPresenter.h"
#include "shell/AppDelegate.h"
#include "ui/kit/Prompts.h"
#include "ui/kit/ViewObjects.h"

#include <QPointer>

#include <memory>

namespace mv {

class AlertPresenter;
class FileManager;
class UrlOpener;
struct ViewContext;

// The program's windows, made once the views' objects exist: the floating panel under the tray icon, the
// dashboard, the one presenter of alerts over both, and the run logs the dashboard asks for.
class ProgramViews {
public:
    ProgramViews(FileManager& fileManager, UrlOpener& urlOpener);

    // The factories the delegate calls at launch. `delegate` tells the panel where the tray icon is.
    ShellViews factories(AppDelegate& delegate);

private:
    AlertPresenter& alerts(ViewContext& context, AppDelegate& delegate);

    DesktopPrompts m_prompts;
    QPointer<AlertPresenter> m_alerts; // owned by the delegate
};

} // namespace mv
