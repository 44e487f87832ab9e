#include "app/ProgramViews.h"

#include "model/ConfigurationStore.h"
#include "shell/AlertPresenter.h"
#include "shell/LogView.h"
#include "shell/PanelController.h"
#include "shell/PanelRootView.h"
#include "shell/TrayShell.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/dashboard/DashboardWindow.h"
#include "ui/editors/JobEditorView.h"
#include "ui/models/shared/ViewContext.h"

#include <QPointer>

#include <memory>

namespace mv {

ProgramViews::ProgramViews(FileManager& fileManager, UrlOpener& urlOpener)
    : m_prompts(fileManager, urlOpener)
{
}

ShellViews ProgramViews::factories(AppDelegate& delegate)
{
    ShellViews views;
    views.makePanel = [this, &delegate](ViewContext& context) {
        auto panel = std::make_unique<PanelController>(context);
        panel->anchorProvider = [&delegate]() -> std::optional<QRect> {
            TrayShell* tray = delegate.statusItem();
            if (!tray || !tray->trayIcon().geometry().isValid())
                return std::nullopt;
            return tray->trayIcon().geometry();
        };
        panel->isStatusItemHidden
            = [&context] { return !context.configuration.config().settings.showMenuBarIcon; };
        alerts(context, delegate).addHost(&panel->root());
        return panel;
    };
    views.makeDashboard = [this, &delegate](
                              ViewContext& context, DashboardModel& ui, std::function<void()> hidePanel) {
        auto dashboard = std::make_unique<DashboardWindow>(
            context, ui, Clock::system(), m_prompts, std::move(hidePanel));
        DashboardWindow* window = dashboard.get();
        QObject::connect(
            &delegate, &AppDelegate::dashboardMenuChanged, window, &DashboardWindow::setProgramMenu);
        QObject::connect(window, &DashboardWindow::windowMade, window, [this, window, &context, &delegate] {
            alerts(context, delegate).addHost(window->window());
            QObject::connect(window->view(), &DashboardView::logRequested, window->window(),
                [this, window, &context](const BackupRunRecord& record) {
                    auto* log = new LogView(record, context.requests, m_prompts, window->window());
                    log->setAttribute(Qt::WA_DeleteOnClose);
                    log->open();
                });
            auto shownEditor = std::make_shared<QPointer<JobEditorView>>();
            QObject::connect(window->view(), &DashboardView::editorOpened, window->window(),
                [this, window, &context, shownEditor](const JobEditorContext& editorContext) {
                    // A new opening takes the place of a sheet still on screen, whose draft is discarded.
                    if (*shownEditor) {
                        (*shownEditor)->disconnect(window->view());
                        (*shownEditor)->close();
                    }
                    auto* editor = new JobEditorView(editorContext, context, m_prompts, window->window());
                    editor->setAttribute(Qt::WA_DeleteOnClose);
                    QObject::connect(editor, &QDialog::finished, window->view(), &DashboardView::closeEditor);
                    *shownEditor = editor;
                    editor->open();
                });
        });
        return dashboard;
    };
    return views;
}

AlertPresenter& ProgramViews::alerts(ViewContext& context, AppDelegate& delegate)
{
    // Made by whichever window comes first; the delegate owns it, as it owns the windows.
    if (!m_alerts)
        m_alerts = new AlertPresenter(context, &delegate);
    return *m_alerts;
}

} // namespace mv
