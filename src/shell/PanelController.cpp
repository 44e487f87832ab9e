#include "shell/PanelController.h"

#include "shell/PanelPlacement.h"
#include "shell/PanelRootView.h"
#include "ui/kit/MotionSettings.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScreen>

#include <cmath>
#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

namespace mv {

namespace {

constexpr int slideIn = 6;
constexpr int slideOut = 5;

// Whether windows can be see-through: always under Wayland, on X11 while a compositing manager owns the
// screen's _NET_WM_CM selection, never on a platform without one (offscreen).
bool compositorRuns()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return true;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
        return false;
    xcb_connection_t* connection = x11->connection();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(0);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr),
        &std::free);
    if (!atom)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

} // namespace

PanelController::PanelController(ViewContext& context, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_root(new PanelRootView(context))
    , m_translucent(compositorRuns())
{
    m_root->setWindowFlags(
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint);
    m_root->setWindowTitle(QStringLiteral("Marrowvale"));
    if (m_translucent)
        m_root->setAttribute(Qt::WA_TranslucentBackground);
    else
        m_root->setMask(m_root->cardRegion());
    connect(&m_animation, &QAbstractAnimation::finished, this, &PanelController::finishAnimation);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &PanelController::applicationStateChanged);
}

PanelController::~PanelController()
{
    removeMonitors();
    m_animation.stop();
    m_animation.clear();
    delete m_root;
}

PanelController::State PanelController::state() const
{
    if (m_visible)
        return m_animating ? State::showing : State::shown;
    return m_animating ? State::hiding : State::hidden;
}

void PanelController::showPanel(std::optional<QPoint> anchor)
{
    if (m_visible || m_animating)
        return;
    if (isStatusItemHidden && isStatusItemHidden())
        return;
    const bool reopen = isReopenOfDismissal(anchor);
    m_lastFocusDismissal.reset();
    if (reopen)
        return;

    m_animating = true;
    m_hideAfterShow = false;
    const Placement placement = place(anchor);
    const QPoint target = placement.frame ? placement.frame->topLeft() : m_root->pos();
    m_upward = placement.upward;
    const QPoint start = target + QPoint(0, m_upward ? slideIn : -slideIn);
    m_root->setWindowOpacity(0);
    m_root->move(start);
    m_root->show();
    m_root->raise();
    m_root->activateWindow();
    m_visible = true;
    removeMonitors();
    installMonitors();
    Q_EMIT stateChanged(State::showing);

    const bool reduce = MotionSettings::instance().reduceMotion();
    animate(start, target, 1.0, reduce ? 120 : 160, QEasingCurve::OutCubic);
}

void PanelController::hidePanel()
{
    if (!m_visible || m_animating)
        return;
    m_visible = false;
    m_animating = true;
    removeMonitors();
    Q_EMIT stateChanged(State::hiding);

    const bool reduce = MotionSettings::instance().reduceMotion();
    const QPoint from = m_root->pos();
    animate(from, from + QPoint(0, m_upward ? slideOut : -slideOut), 0.0, reduce ? 100 : 110,
        QEasingCurve::InCubic);
}

void PanelController::dismissPanel()
{
    if (state() == State::showing)
        m_hideAfterShow = true;
    else
        hidePanel();
}

void PanelController::animate(QPoint from, QPoint to, qreal toOpacity, int durationMs, QEasingCurve curve)
{
    m_animation.stop();
    m_animation.clear();
    auto* opacity = new QPropertyAnimation(m_root, "windowOpacity");
    opacity->setEndValue(toOpacity);
    auto* slide = new QPropertyAnimation(m_root, "pos");
    slide->setStartValue(from);
    slide->setEndValue(to);
    for (QPropertyAnimation* animation : { opacity, slide }) {
        animation->setDuration(durationMs);
        animation->setEasingCurve(curve);
        m_animation.addAnimation(animation);
    }
    m_animation.start();
}

void PanelController::finishAnimation()
{
    if (!m_visible)
        m_root->hide();
    m_animating = false;
    Q_EMIT stateChanged(state());
    if (m_visible && std::exchange(m_hideAfterShow, false))
        hidePanel();
}

PanelController::Placement PanelController::place(std::optional<QPoint> anchor) const
{
    std::optional<QPoint> point = anchor;
    if (!point && anchorProvider) {
        // A rectangle at the screen's left edge or without width is a tray that cannot say where it is.
        const std::optional<QRect> tray = anchorProvider();
        if (tray && tray->width() > 0 && tray->x() + tray->width() > 1)
            point = QPoint(tray->x() + tray->width() / 2, tray->y() + tray->height() / 2);
    }
    QScreen* screen = point ? QGuiApplication::screenAt(*point) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect available = screen->availableGeometry();
    const bool upward = point && PanelPlacement::opensUpward(available, *point);
    const std::optional<int> anchorX = point ? std::optional(point->x()) : std::nullopt;
    return { PanelPlacement::frame(screen->geometry(), available, anchorX, upward), upward };
}

void PanelController::installMonitors()
{
    qApp->installEventFilter(this);
    m_monitoring = true;
}

void PanelController::removeMonitors()
{
    if (std::exchange(m_monitoring, false) && qApp)
        qApp->removeEventFilter(this);
}

bool PanelController::belongsToPanel(const QObject* object) const
{
    for (const QWidget* widget = qobject_cast<const QWidget*>(object); widget;
         widget = widget->parentWidget()) {
        if (widget == m_root)
            return true;
    }
    return false;
}

bool PanelController::eventFilter(QObject* watched, QEvent* event)
{
    // Events reach a window first and then its widget: the widget alone is looked at.
    if (!watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
        // The panel's own dialogs and menus close themselves on Escape.
        const auto* widget = static_cast<QWidget*>(watched);
        if (belongsToPanel(widget) && widget->window() != m_root)
            return false;
        hidePanel();
        return true;
    }
    case QEvent::MouseButtonPress: {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if ((button == Qt::LeftButton || button == Qt::RightButton) && !belongsToPanel(watched))
            hidePanel();
        return false;
    }
    default:
        return false;
    }
}

void PanelController::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive || !m_visible || m_animating)
        return;
    m_lastFocusDismissal = Dismissal { m_clock.now(), QCursor::pos() };
    hidePanel();
}

bool PanelController::isReopenOfDismissal(std::optional<QPoint> anchor) const
{
    // Only a click on the tray icon (which brings its position) can be the click that hid the panel; the
    // shortcut and a second start always open it.
    if (!m_lastFocusDismissal || !anchor)
        return false;
    const qint64 elapsed = m_lastFocusDismissal->at.msecsTo(m_clock.now());
    if (elapsed < 0 || elapsed > reopenGuardTime.count())
        return false;
    const QPoint offset = *anchor - m_lastFocusDismissal->where;
    return std::hypot(offset.x(), offset.y()) < reopenGuardDistance;
}

} // namespace mv
