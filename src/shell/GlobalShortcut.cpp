#include "shell/GlobalShortcut.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdlib>

namespace mv {

namespace {

constexpr std::uint16_t wanted = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4; // Ctrl, Alt, Super
constexpr std::uint16_t numLock = XCB_MOD_MASK_2;
// Modifiers that make it another combination when held besides.
constexpr std::uint16_t others = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK;

QNativeInterface::QX11Application* x11()
{
    return qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
}

} // namespace

GlobalShortcut::GlobalShortcut(QObject* parent)
    : QObject(parent)
{
}

GlobalShortcut::~GlobalShortcut()
{
    remove();
}

bool GlobalShortcut::install()
{
    remove();
    QNativeInterface::QX11Application* native = x11();
    if (!native || !native->connection() || !native->display())
        return false;
    xcb_connection_t* connection = native->connection();
    const xcb_keycode_t keycode = XKeysymToKeycode(native->display(), XK_b);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (keycode == 0 || !screen)
        return false;
    bool grabbed = true;
    for (const std::uint16_t modifiers : std::array<std::uint16_t, 2> { wanted, wanted | numLock }) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(
            connection, 1, screen->root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            std::free(error);
            grabbed = false;
        }
    }
    m_keycode = keycode;
    m_root = screen->root;
    if (!grabbed) {
        remove();
        return false;
    }
    qGuiApp->installNativeEventFilter(this);
    return true;
}

void GlobalShortcut::remove()
{
    if (m_keycode == 0)
        return;
    if (QNativeInterface::QX11Application* native = x11()) {
        for (const std::uint16_t modifiers : std::array<std::uint16_t, 2> { wanted, wanted | numLock })
            xcb_ungrab_key(native->connection(), m_keycode, m_root, modifiers);
        xcb_flush(native->connection());
    }
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
    m_keycode = 0;
}

bool GlobalShortcut::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t" || m_keycode == 0)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->detail != m_keycode || (key->state & (wanted | others)) != wanted)
        return false;
    Q_EMIT activated();
    return true;
}

} // namespace mv
