#include "ui/dashboard/DashboardWindow.h"

#include "platform/Clock.h"
#include "ui/dashboard/DashboardView.h"
#include "ui/kit/MotionSettings.h"
#include "ui/models/dashboard/DashboardFrame.h"
#include "ui/models/dashboard/DashboardModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>
#include <QWidget>

namespace mv {

namespace {

QSettings frameSettings()
{
    return QSettings(QStringLiteral("Marrowvale"), QStringLiteral("Marrowvale"));
}

std::optional<QRect> availableArea(const QScreen* screen)
{
    if (!screen)
        return std::nullopt;
    return screen->availableGeometry();
}

} // namespace

DashboardWindow::DashboardWindow(ViewContext& context, DashboardModel& ui, Clock& clock, Prompts& prompts,
    std::function<void()> hidePanel, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_ui(ui)
    , m_clock(clock)
    , m_prompts(prompts)
    , m_hidePanel(std::move(hidePanel))
{
    connect(qApp, &QCoreApplication::aboutToQuit, this, &DashboardWindow::saveDashboardFrame);
}

DashboardWindow::~DashboardWindow()
{
    delete m_window;
}

void DashboardWindow::openDashboard(DashboardSection section)
{
    m_ui.setSection(section);
    if (m_hidePanel)
        m_hidePanel();
    if (!m_window)
        makeDashboardWindow();
    const bool needsPresenting = !m_window->isVisible() || m_window->windowOpacity() == 0;
    m_enforceUntil = m_clock.now().addMSecs(holdPeriod.count());
    if (needsPresenting) {
        present();
        return;
    }
    m_window->raise();
    m_window->activateWindow();
    m_holdEnd = m_clock.after(holdPeriod, [this] { m_enforceUntil.reset(); });
}

void DashboardWindow::present()
{
    m_presenting = true;
    const QRect target = m_desiredFrame.value_or(m_window->geometry());
    if (m_fade)
        m_fade->stop();
    m_window->setWindowOpacity(0);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_fadeIn = m_clock.after(fadeInDelay, [this, target] {
        m_enforcingFrame = true;
        m_window->setGeometry(target);
        m_enforcingFrame = false;
        auto* fade = new QPropertyAnimation(m_window, "windowOpacity", m_window);
        fade->setDuration(MotionSettings::instance().reduceMotion() ? 80 : 160);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        connect(fade, &QPropertyAnimation::finished, this, [this] { m_presenting = false; });
        m_fade = fade;
        fade->start(QAbstractAnimation::DeleteWhenStopped);
    });
}

void DashboardWindow::makeDashboardWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setWindowTitle(QStringLiteral("Marrowvale"));
    window->setObjectName(QStringLiteral("dashboardWindow"));
    window->setMinimumSize(DashboardFrame::minimumSize);
    window->resize(DashboardFrame::defaultSize);
    m_view = new DashboardView(m_context, m_ui, m_clock, m_prompts, window);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    const QVariant stored = frameSettings().value(QLatin1String(DashboardFrame::settingsKey));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect frame
        = DashboardFrame::restored(stored.isValid() ? std::optional(stored.toString()) : std::nullopt,
            screens, availableArea(QGuiApplication::primaryScreen()));
    window->setGeometry(frame);
    m_desiredFrame = frame;
    m_window = window;
    applyProgramMenu();
    window->installEventFilter(this);
    Q_EMIT windowMade();
}

void DashboardWindow::saveDashboardFrame()
{
    if (!m_window)
        return;
    const QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    const QRect frame = DashboardFrame::saved(m_window->geometry(), availableArea(screen));
    frameSettings().setValue(QLatin1String(DashboardFrame::settingsKey), DashboardFrame::format(frame));
}

void DashboardWindow::setProgramMenu(const QList<QAction*>& actions)
{
    if (actions == m_programMenu)
        return;
    m_programMenu = actions;
    if (m_window)
        applyProgramMenu();
}

QMenuBar* DashboardWindow::menuBar() const
{
    return m_menuBar;
}

void DashboardWindow::applyProgramMenu()
{
    // Made afresh each time: the layout lets go of a menu bar that is deleted.
    delete m_menuBar;
    QLayout* layout = m_window->layout();
    if (!m_programMenu.isEmpty()) {
        auto* bar = new QMenuBar(m_window);
        bar->setObjectName(QStringLiteral("programMenuBar"));
        bar->addMenu(QStringLiteral("Marrowvale"))->addActions(m_programMenu);
        layout->setMenuBar(bar);
        m_menuBar = bar;
    }
    // A menu bar coming or going does not lay the window out again by itself.
    layout->invalidate();
}

bool DashboardWindow::isEnforcing() const
{
    return m_enforceUntil && m_desiredFrame && m_clock.now() < *m_enforceUntil;
}

void DashboardWindow::putBack()
{
    m_enforcingFrame = true;
    m_window->setGeometry(*m_desiredFrame);
    m_enforcingFrame = false;
}

bool DashboardWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Move:
        // A move never changes the desired frame: the next fade-in opening comes back where it was.
        if (isEnforcing() && !m_enforcingFrame && m_window->pos() != m_desiredFrame->topLeft())
            putBack();
        break;
    case QEvent::Resize:
        if (isEnforcing()) {
            if (!m_enforcingFrame && m_window->geometry() != *m_desiredFrame)
                putBack();
        } else if (!m_presenting) {
            m_desiredFrame = m_window->geometry();
        }
        break;
    case QEvent::Close:
        saveDashboardFrame();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace mv
