#include "app/ProgramViews.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "shell/AlertPresenter.h"
#include "shell/LogView.h"
#include "shell/PanelController.h"
#include "shell/PanelRootView.h"
#include "shell/TrayShell.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/dashboard/DashboardWindow.h"
#include "ui/editors/JobEditorView.h"

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
    views.makePanel = [this, &delegate](AppState& state) {
        auto panel = std::make_unique<PanelController>(state);
        panel->anchorProvider = [&delegate]() -> std::optional<QRect> {
            TrayShell* tray = delegate.statusItem();
            if (!tray || !tray->trayIcon().geometry().isValid())
                return std::nullopt;
            return tray->trayIcon().geometry();
        };
        panel->isStatusItemHidden = [&state] { return !state.store().config().settings.showMenuBarIcon; };
        alerts(state).addHost(&panel->root());
        return panel;
    };
    views.makeDashboard = [this, &delegate](
                              AppState& state, DashboardModel& ui, std::function<void()> hidePanel) {
        auto dashboard = std::make_unique<DashboardWindow>(
            context(state), ui, Clock::system(), m_prompts, std::move(hidePanel));
        DashboardWindow* window = dashboard.get();
        QObject::connect(
            &delegate, &AppDelegate::dashboardMenuChanged, window, &DashboardWindow::setProgramMenu);
        QObject::connect(window, &DashboardWindow::windowMade, window, [this, window, &state] {
            alerts(state).addHost(window->window());
            QObject::connect(window->view(), &DashboardView::logRequested, window->window(),
                [this, window, &state](const BackupRunRecord& record) {
                    auto* log = new LogView(record, state, m_prompts, window->window());
                    log->setAttribute(Qt::WA_DeleteOnClose);
                    log->open();
                });
            auto shownEditor = std::make_shared<QPointer<JobEditorView>>();
            QObject::connect(window->view(), &DashboardView::editorOpened, window->window(),
                [this, window, &state, shownEditor](const JobEditorContext& context) {
                    // A new opening takes the place of a sheet still on screen, whose draft is discarded.
                    if (*shownEditor) {
                        (*shownEditor)->disconnect(window->view());
                        (*shownEditor)->close();
                    }
                    auto* editor = new JobEditorView(context, this->context(state), m_prompts, window->window());
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

AlertPresenter& ProgramViews::alerts(AppState& state)
{
    // Made by whichever window comes first; the state owns it, as it follows nothing else.
    if (!m_alerts)
        m_alerts = new AlertPresenter(state, &state);
    return *m_alerts;
}

ViewContext& ProgramViews::context(AppState& state)
{
    if (!m_views)
        m_views = std::make_unique<ViewObjects>(state);
    return m_views->context();
}

} // namespace mv
