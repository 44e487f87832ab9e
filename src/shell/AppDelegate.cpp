#include "shell/AppDelegate.h"
#include "shell/LazyPanel.h"

#include "coordination/AppState.h"
#include "model/ConfigurationStore.h"
#include "shell/QuitQuestion.h"
#include "shell/TrayShell.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/TypeScale.h"
#include "ui/kit/ViewObjects.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <qcoro/qcorosignal.h>

namespace mv {

namespace {

QCoro::Task<bool> askWithMessageBox(QuitQuestion question)
{
    QPointer<QMessageBox> box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Marrowvale"), question.message, QMessageBox::NoButton);
    box->setInformativeText(question.informativeText);
    QPushButton* quit = box->addButton(question.quitButton, QMessageBox::AcceptRole);
    box->addButton(question.keepButton, QMessageBox::RejectRole);
    box->setDefaultButton(quit);
    box->open();
    box->raise();
    box->activateWindow();
    auto answered = qCoro(box.get(), &QMessageBox::finished);
    co_await answered;
    if (!box)
        co_return false;
    const bool answer = box->clickedButton() == static_cast<QAbstractButton*>(quit);
    box->deleteLater();
    co_return answer;
}

} // namespace

AppDelegate::AppDelegate(ConfigurationStore& store, const AppEnvironment& environment, ShellViews views,
    LaunchSwitches switches, QObject* parent)
    : QObject(parent)
    , confirmQuit(askWithMessageBox)
    , m_store(store)
    , m_environment(environment)
    , m_views(std::move(views))
    , m_switches(switches)
{
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::setViews(ShellViews views)
{
    Q_ASSERT(!m_appState);
    m_views = std::move(views);
}

ViewContext* AppDelegate::context()
{
    return m_viewObjects ? &m_viewObjects->context() : nullptr;
}

QCoro::Task<> AppDelegate::launch()
{
    QPointer<AppDelegate> self(this);
    m_appState = std::make_unique<AppState>(m_store, m_environment);
    m_viewObjects = std::make_unique<ViewObjects>(m_appState->viewSources());
    ViewContext& views = m_viewObjects->context();
    connect(&views.requests, &ProgramRequests::navigationRequested, this, &AppDelegate::navigate);
    m_panel = std::make_unique<LazyPanel>([this] { return m_views.makePanel(m_viewObjects->context()); });
    m_dashboard = m_views.makeDashboard(views, m_ui, [this] { m_panel->dismissPanel(); });
    m_statusItem = std::make_unique<TrayShell>(views, *m_panel, *m_dashboard);
    connect(&views.commands.quit, &QAction::triggered, this, [this] { requestQuit(); });
    connect(
        &views.commands.checkForUpdates, &QAction::triggered, &m_updates, &UpdateController::checkForUpdates);
    applyKitFontToMenusAndTooltips();
    connect(&views.requests, &ProgramRequests::appearanceChanged, this, &applyAppearancePreference);
    connect(&m_store, &ConfigurationStore::changed, this, &AppDelegate::updateDashboardMenu);
    updateDashboardMenu();
    views.requests.applyAppearance();
    // The icon does not wait for the keyring. The panel and the dashboard show the Google account from
    // their first paint, so the launch opens them only once it is known.
    QCoro::Task<> accountLoad = views.googleAuth.load();
    co_await accountLoad;
    if (!self)
        co_return;
    for (const NavigationRequest& request : m_viewObjects->context().requests.takePendingNavigation())
        navigate(request);

    m_appState->start();
    m_viewObjects->context().requests.refreshLoginItemState();
    scheduleLaunchActions();
    // Without a tray the dashboard is the only way in.
    if (!m_views.trayAvailable())
        openDashboard(DashboardSection::overview);
}

void AppDelegate::scheduleLaunchActions()
{
    const AppConfiguration& config = m_store.config();
    if (config.jobs.isEmpty() || m_switches.showPanel)
        after(firstRunPanelDelay, [this] {
            if (!m_terminating && !std::exchange(m_didShowFirstRunPanel, true))
                m_panel->showPanel(std::nullopt);
        });
    if (config.settings.openDashboardAtLogin)
        after(dashboardAtLoginDelay, [this] { openDashboard(DashboardSection::overview); });
    if (m_switches.debugDashboard)
        after(debugDashboardDelay, [this] {
            if (m_switches.debugEditor) {
                const QList<BackupJob>& jobs = m_store.config().jobs;
                m_ui.setSelectedJobID(jobs.isEmpty() ? std::nullopt : std::optional(jobs.first().id));
            }
            openDashboard(m_switches.debugSection);
        });
    // Imported in the background; a client found later simply shows up in the settings.
    m_viewObjects->context().googleAuth.loadClientAutomatically();
    if (m_switches.googleSignIn)
        after(googleSignInDelay, [this] { googleSignIn(); });
    if (m_switches.debugRun)
        after(debugRunDelay, [this] { debugRun(); });
    if (m_switches.debugShowPanelAfter)
        after(*m_switches.debugShowPanelAfter, [this] {
            if (!m_terminating)
                m_panel->showPanel(std::nullopt);
        });
}

void AppDelegate::after(std::chrono::milliseconds delay, std::function<void()> action)
{
    // The alarms are this object's: they never fire after it is gone.
    m_delayedActions.push_back(m_environment.clock.after(delay, std::move(action)));
}

QCoro::Task<> AppDelegate::debugRun()
{
    const QList<BackupJob>& jobs = m_store.config().jobs;
    if (jobs.isEmpty())
        co_return;
    QCoro::Task<> run = m_viewObjects->context().jobs.runJob(jobs.first());
    co_await run;
}

QCoro::Task<> AppDelegate::googleSignIn()
{
    QPointer<AppDelegate> self(this);
    ViewContext& views = m_viewObjects->context();
    QCoro::Task<> connection = views.googleAuth.connect();
    co_await connection;
    if (!self || !m_switches.googleAutoRun || !m_viewObjects->context().googleAuth.account())
        co_return;
    QCoro::Task<std::optional<QString>> tokenRead
        = m_viewObjects->context().googleCredentials.read(QStringLiteral("refresh-token"));
    const std::optional<QString> refreshToken = co_await tokenRead;
    if (!self || !refreshToken || m_store.config().jobs.isEmpty())
        co_return;
    const BackupJob job = m_store.config().jobs.first();
    QCoro::Task<> pause = sleepFor(m_environment.clock, googleAutoRunPause);
    co_await pause;
    if (!self)
        co_return;
    QCoro::Task<> run = m_viewObjects->context().jobs.runJob(job);
    co_await run;
}

void AppDelegate::navigate(const NavigationRequest& request)
{
    switch (request.target) {
    case NavigationRequest::Target::dashboard:
        openDashboard(DashboardSection::overview);
        break;
    case NavigationRequest::Target::settings:
        openDashboard(DashboardSection::settings);
        break;
    case NavigationRequest::Target::job:
        if (request.jobID)
            m_ui.requestJob(*request.jobID);
        openDashboard(DashboardSection::jobs);
        break;
    case NavigationRequest::Target::newJob:
        m_ui.requestNewJob();
        openDashboard(DashboardSection::jobs);
        break;
    case NavigationRequest::Target::activity:
        m_ui.requestActivity(request.jobID);
        openDashboard(DashboardSection::activity);
        break;
    case NavigationRequest::Target::quit:
        requestQuit();
        break;
    }
}

void AppDelegate::openDashboard(DashboardSection section)
{
    // A program that is ending opens nothing: a window made now would only delay the end.
    if (m_dashboard && !m_terminating)
        m_dashboard->openDashboard(section);
}

bool AppDelegate::isStatusItemHidden() const
{
    return !m_store.config().settings.showMenuBarIcon || !m_views.trayAvailable();
}

void AppDelegate::updateDashboardMenu()
{
    // Called on every change of the configuration: the tray is asked again only when the setting changed.
    const bool iconSetting = m_store.config().settings.showMenuBarIcon;
    if (std::exchange(m_iconSettingSeen, iconSetting) == iconSetting)
        return;
    const bool wanted = isStatusItemHidden();
    if (std::exchange(m_dashboardHasMenu, wanted) == wanted)
        return;
    Commands& commands = m_viewObjects->context().commands;
    Q_EMIT dashboardMenuChanged(wanted
            ? QList<QAction*> { &commands.openDashboard, &commands.openSettings, &commands.quit }
            : QList<QAction*> {});
}

void AppDelegate::reopen()
{
    if (!m_panel)
        return;
    if (isStatusItemHidden())
        openDashboard(DashboardSection::overview);
    else
        m_panel->showPanel(std::nullopt);
}

QCoro::Task<> AppDelegate::requestQuit()
{
    QPointer<AppDelegate> self(this);
    if (m_askingToQuit || m_terminating)
        co_return;
    if (!m_appState) {
        Q_EMIT finished();
        co_return;
    }
    m_askingToQuit = true;
    if (const int active = m_viewObjects->context().runs.activeCount(); active > 0) {
        QCoro::Task<bool> question = confirmQuit(QuitQuestion::forActiveRuns(active));
        const bool quit = co_await question;
        if (!self)
            co_return;
        if (!quit) {
            m_askingToQuit = false;
            co_return;
        }
        // The system's request to end came while the question was open, and ends the program itself.
        if (m_terminating)
            co_return;
    }
    QCoro::Task<> ending = shutDown();
    co_await ending;
}

QCoro::Task<> AppDelegate::terminate()
{
    if (std::exchange(m_terminating, true))
        co_return;
    if (!m_appState) {
        Q_EMIT finished();
        co_return;
    }
    // Not asked: the session is ending. An open quit question is answered by this.
    QCoro::Task<> ending = shutDown();
    co_await ending;
}

QCoro::Task<> AppDelegate::shutDown()
{
    QPointer<AppDelegate> self(this);
    QCoro::Task<bool> ending = m_appState->saveAndShutDown();
    co_await ending;
    if (self)
        Q_EMIT finished();
}

} // namespace mv
