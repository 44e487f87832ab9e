#include "shell/TrayInk.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace mv {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t atom(xcb_connection_t* connection, const QByteArray& name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, quint16(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The tray host's foreground: the first of the property's four colours, each as 16-bit red, green, blue.
std::optional<QColor> hostForeground()
{
    auto* native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!native || !native->connection() || !native->display())
        return std::nullopt;
    xcb_connection_t* connection = native->connection();
    const xcb_atom_t selection
        = atom(connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(native->display())));
    const xcb_atom_t colours = atom(connection, "_NET_SYSTEM_TRAY_COLORS");
    if (selection == XCB_ATOM_NONE || colours == XCB_ATOM_NONE)
        return std::nullopt;
    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return std::nullopt;
    const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(connection,
        xcb_get_property(connection, 0, owner->owner, colours, XCB_ATOM_CARDINAL, 0, 3), nullptr));
    if (!property || property->format != 32 || xcb_get_property_value_length(property.get()) < 12)
        return std::nullopt;
    const auto* value = static_cast<const quint32*>(xcb_get_property_value(property.get()));
    return QColor::fromRgba64(quint16(value[0]), quint16(value[1]), quint16(value[2]));
}

} // namespace

TrayInk TrayInk::forTray()
{
    if (const std::optional<QColor> foreground = hostForeground())
        return { *foreground, std::nullopt };
    return { QColor(Qt::white), QColor(Qt::black) };
}

} // namespace mv
